#pragma once
// From a window's process to the executable's long path, its file description and the title.

#include <windows.h>

#include <cstddef>
#include <string>

#include "diag/debug_log.h"
#include "util/record_types.h"

constexpr std::size_t kDescriptionBufferSize = 260;

// Fills `app` for the window. 0 means `app` may be reported; otherwise a Windows error code and
// `app` is left as it was.
DWORD GetModuleInfo(DWORD processId, HWND window, AppRecord& app);

// The "FileDescription" of the executable at `path` (the last translation that has one), cut to
// 259 bytes; "-" when there is none.
std::string GetVersionInfo(const std::string& path);

// GetVersionInfo for an executable, read again only when the file has changed (another size or
// last write time) since it was last read: reading a version resource is the costliest step of
// identifying a window.
std::string describeExecutable(const std::string& path);

// printf-style formatting into `buffer` of `size` bytes, cut to fit; returns the bytes written.
int FormatString(char* buffer, std::size_t size, const char* format, ...)
    LOOKOUT_PRINTF_FORMAT(3, 4);

bool IsDesktopClass(const std::string& className);

// Byte-wise comparison after upper-casing a-z; 0 when equal, else negative or positive.
int CompareNoCase(const std::string& a, const std::string& b);
