#pragma once
// A stop (Ctrl+C, the end of standard input) hands over the reports that still wait for a
// browser's address before standard output is closed: the polling thread alone writes records,
// so the stop asks it to, and waits a bounded time for it. A report whose read has not ended is
// written as a read that failed (what its deadline would have written), so that no change seen
// before the stop is missing from the stream.

#include <windows.h>

// Called by the monitor loop before its first poll: from then on a stop asks it to hand over.
void monitorLoopWillHandOver();
// Cheap check on every poll: whether a stop waits for the reports.
bool stopWaitsForReports();
// The loop has queued every report for standard output.
void reportsHandedOver();
// Called by the stop: asks the loop to hand over and waits at most `boundMs` for it (a loop
// that is not running, or stuck, is not waited for longer).
void handOverReportsBeforeStop(DWORD boundMs);
