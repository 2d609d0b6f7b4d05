#pragma once
// The whole life of the program around a monitor loop that never returns.

// Start-up, then `monitorLoop` under the crash guard. A fault in the loop is dumped and logged
// and ends the process with exit code 0; signals end it on their own. Returns 0 only if the loop
// returns.
int runLookout(int argc, char** argv, void (*monitorLoop)());
