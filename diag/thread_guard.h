#pragma once
// Every thread the program starts runs under the crash guard, as the monitor loop does, and the
// ways the program ends after a fault or a signal.

#include <windows.h>

// What a fault on a guarded thread leaves behind.
enum class ThreadFault {
    // Neither the thread's state nor the program's can be trusted: the fault is dumped and the
    // program ends as after a fault in the monitor loop (exit code 0).
    EndsProgram,
    // Only the thread's piece of work failed: the fault is dumped (a few dumps per run at most)
    // and logged, and the program goes on.
    EndsWork,
};

// Runs body(context) on the calling thread under the crash guard. True when it returned; false
// after a fault with ThreadFault::EndsWork (with EndsProgram a fault does not return).
bool runGuarded(void (*body)(void*), void* context, ThreadFault onFault);

// What must still be done before the process ends after a fault, such as writing the records
// already handed to standard output's writer. Set once at start-up, before any thread starts.
void setFlushBeforeFaultExit(void (*flush)());

// The crash guard's handler: logs "GenerateDump was called. Attempting to terminate program."
// and "Lookout Terminated", closes the log, flushes and ends the process with exit code 0.
[[noreturn]] void endProgramAfterFault();

// Ends the process at once with `exitCode`. No exit-time destructor or atexit function runs:
// other threads may still be using what they would destroy.
[[noreturn]] void endProcessNow(UINT exitCode);
