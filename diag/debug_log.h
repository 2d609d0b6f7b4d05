#pragma once
// The optional debug log: a text file next to the executable, turned on by "/debuglog".
// Every write operation returns at once while the log is off.

#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <string>

#include "diag/log_line.h"
#include "diag/trace.h"

#if defined(__MINGW32__) || defined(__GNUC__)
#define LOOKOUT_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define LOOKOUT_PRINTF_FORMAT(fmt, args)
#endif

// The open log file, or null while the log is off. Set only at start-up and cleared by the close.
extern HANDLE debugLogFile;
// Serialises the writes; re-entrant for the thread that holds it.
extern CRITICAL_SECTION debugLogLock;

// Initialises debugLogLock once; later calls do nothing.
void initDebugLogLock();

// The log's path for an executable path: lower-cased in the ANSI code page, cut at the first
// ".exe" and ended with ".log". Empty when the lower-cased path holds no ".exe".
std::string debugLogPathFor(const std::string& executablePath);

void openDebugLog();
// Opens the log at a given path; openDebugLog uses it with the path beside the executable.
void openDebugLogAt(const std::string& path);
void closeDebugLog();

void logMessage(const char* format, ...) LOOKOUT_PRINTF_FORMAT(1, 2);
void logStrings(const char* text1, const char* text2 = nullptr, const char* text3 = nullptr);
void logWide(const wchar_t* text1, const wchar_t* text2);

// The time prefix "HH:MM:SS: " for the current local time, or empty when it cannot be formed.
std::string logTimePrefix();

