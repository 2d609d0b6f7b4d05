#pragma once
// The "FileDescription" of an executable's version resource.

#include <cstddef>
#include <string>

#include "diag/debug_log.h"

constexpr std::size_t kDescriptionBufferSize = 260;

// The "FileDescription" of the executable at `path` (the last translation that has one) as the
// record carries it, cut to 259 bytes; "-" when there is none. The file is read through its
// UTF-16 path, so any path the system can name works.
std::string GetVersionInfo(const std::wstring& path);

// printf-style formatting into `buffer` of `size` bytes, cut to fit; returns the bytes written.
int FormatString(char* buffer, std::size_t size, const char* format, ...)
    LOOKOUT_PRINTF_FORMAT(3, 4);
