#pragma once
// Class name and title of a window, which may belong to another process.

#include <windows.h>

#include <string>

constexpr int kWindowTextBufferSize = 1024;  // texts come back cut to 1023 bytes

// The class name as GetClassNameA reads it; empty when it cannot be read. With the log on it
// also notes whether the class is registered in this process.
std::string GetWindowClassName(HWND window);

// The title of the window as the record carries it, read in UTF-16, at most 1023 bytes and never
// ending in part of a character; empty when it has none or cannot be read.
std::string GetWindowTitle(HWND window);
