#pragma once
// Keeps the promise that Lookout is either polling or gone. A monitor loop that stops polling
// for a reason no guard can catch (its thread ended, or a stack overflow killed it) would leave a
// process that looks alive to its parent and never writes again. A thread of its own watches the
// loop's thread and the time of its last poll, and ends the process with an exit code of its own
// after writing the records already queued, so that the parent starts Lookout again.

#include <windows.h>

// The exit code of a process whose monitor loop stopped polling.
constexpr UINT kStoppedPollingExitCode = 2;

// How long the loop may go without polling before it counts as stopped. The loop asks other
// programs nothing that can hold it (address reads run on threads of their own); only
// identification runs on it, which takes milliseconds, so ten seconds is far beyond any poll.
constexpr DWORD kStalePollLimitMs = 10000;

// Starts watching the calling thread, which runs the monitor loop, and counts the start as its
// first poll. Called once, from the loop. A thread that ends is noticed at once; one that does
// not poll for `staleLimitMs` within a quarter of that (a second at most) more. False when the
// watch could not be started; the program runs on without it.
bool startWatchdog(DWORD staleLimitMs = kStalePollLimitMs);

// Marks one poll of the monitor loop. Cheap: it stores the time.
void markPoll();

// The loop has faulted and the crash guard ends the program after writing its dump, which can
// take longer than the loop may go without polling: the watchdog stands aside from now on.
void standAsideForFault();
