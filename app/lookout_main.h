#pragma once
// The whole life of the program around a monitor loop that never returns.

// Start-up, then `monitorLoop` under the crash guard. Returns 0 only after a fault in the loop
// was dumped and logged; signals end the process on their own.
int runLookout(int argc, char** argv, void (*monitorLoop)());
