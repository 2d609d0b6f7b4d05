#pragma once
// Minidumps of this process, written when the monitor loop or another of the program's threads
// fails.

#include <windows.h>

#include <string>

// The exception filter of the crash guard: writes a dump into "dumps" under the documents folder
// (the executable's folder when that cannot be had), logs the exception code and selects the
// guard's handler.
LONG GenerateDump(EXCEPTION_POINTERS* exceptionInfo);

// Dumps that a run writes at most for faults it survives (GenerateRecoverableDump).
constexpr unsigned kRecoverableDumpsPerRun = 3;

// The filter for a fault that ends only a piece of work, the program going on: GenerateDump for
// the first kRecoverableDumpsPerRun such faults of the run, so that a window that makes the same
// work fail every time it comes to the front does not fill the disk; for later ones only the
// exception code is logged.
LONG GenerateRecoverableDump(EXCEPTION_POINTERS* exceptionInfo);

// "<folder>\dump-YYYYMMDD-HHMMSS-<pid>-<tid>.dmp", cut to 259 characters.
std::string dumpFileName(const std::string& dumpFolder, const SYSTEMTIME& localTime,
                         DWORD processId, DWORD threadId);
