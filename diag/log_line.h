#pragma once
// Building one line of the debug log, kept free of Windows so that it builds anywhere.

#include <cstdarg>
#include <cstddef>

constexpr std::size_t kLogLineSize = 1024;  // a line, prefix and CR LF included, plus its NUL

// Builds one logMessage line into `line` (kLogLineSize bytes): the prefix, the formatted message
// and CR LF. A line that would not fit is cut so that it still ends in CR LF within the limit.
// Returns the line's length without its NUL.
std::size_t formatLogLine(char* line, const char* prefix, const char* format, va_list args);
