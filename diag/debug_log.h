#pragma once
// The optional debug log: a text file next to the executable, turned on by "/debuglog".
// Every write operation returns at once while the log is off.

#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <string>

#if defined(__MINGW32__) || defined(__GNUC__)
#define LOOKOUT_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define LOOKOUT_PRINTF_FORMAT(fmt, args)
#endif

// The open log file, or null while the log is off. Set only at start-up and cleared by the close.
extern HANDLE debugLogFile;
// Serialises the writes; re-entrant for the thread that holds it.
extern CRITICAL_SECTION debugLogLock;

constexpr std::size_t kLogLineSize = 1024;  // a line, prefix and CR LF included, plus its NUL

// Initialises debugLogLock once; later calls do nothing.
void initDebugLogLock();
bool debugLogLockInitialised();

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

// Builds one logMessage line into `line` (kLogLineSize bytes): the prefix, the formatted message
// and CR LF. A line that would not fit is cut so that it still ends in CR LF within the limit.
// Returns the line's length without its NUL.
std::size_t formatLogLine(char* line, const char* prefix, const char* format, va_list args);

// The time prefix "HH:MM:SS: " for the current local time, or empty when it cannot be formed.
std::string logTimePrefix();

// The trace line written when a traced function begins. The tick count and thread id are read
// only while the log is on.
inline void traceFunction(const char* traceName) {
    if (debugLogFile)
        logMessage("(%u, thread = %u) >>>> Function: %s", static_cast<unsigned>(GetTickCount()),
                   static_cast<unsigned>(GetCurrentThreadId()), traceName);
}
