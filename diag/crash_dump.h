#pragma once
// Minidumps of this process, written when the monitor loop fails.

#include <windows.h>

#include <string>

// The exception filter of the crash guard: writes a dump into "dumps" under the documents folder
// (the executable's folder when that cannot be had), logs the exception code and selects the
// guard's handler.
LONG GenerateDump(EXCEPTION_POINTERS* exceptionInfo);

// "<folder>\dump-YYYYMMDD-HHMMSS-<pid>-<tid>.dmp", cut to 259 characters.
std::string dumpFileName(const std::string& dumpFolder, const SYSTEMTIME& localTime,
                         DWORD processId, DWORD threadId);
