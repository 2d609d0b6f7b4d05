#pragma once
// An executable's path as the kernel names a process's image, and the path's long form. Nothing
// here reads the other process's memory, so what that process does to its own loader data can
// neither stop nor mislead it.

#include <windows.h>

#include <string>

// The longest path Windows allows, in UTF-16 units with the terminating NUL.
constexpr DWORD kLongestPath = 32768;

// The image path of `process`, opened with at least PROCESS_QUERY_LIMITED_INFORMATION (which
// the system grants for elevated processes too). 0, or a Windows error code.
DWORD queryImagePath(HANDLE process, std::wstring& path);

// The long form of `path`, every short (8.3) element replaced by its long name, in its case on
// disk; any other element stays as it is, so a path without "~" is its own long form. Empty
// when it cannot be formed, for instance because the file is gone.
std::wstring longPathOf(const std::wstring& path);

// `path` as the file functions take it at any length: past MAX_PATH with the "\\?\" prefix.
std::wstring fileApiPath(const std::wstring& path);
