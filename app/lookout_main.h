#pragma once
// The whole life of the program around a monitor loop that never returns.

#include <windows.h>

#include "app/watchdog.h"

// Start-up, the watchdog over the calling thread, then `monitorLoop` under the crash guard. A
// fault in the loop is dumped and logged and ends the process with exit code 0; signals end it
// on their own; a loop that stops calling markPoll() for `staleLimitMs`, or whose thread ends,
// ends it with kStoppedPollingExitCode. Returns 0 only if the loop returns.
int runLookout(int argc, char** argv, void (*monitorLoop)(),
               DWORD staleLimitMs = kStalePollLimitMs);
