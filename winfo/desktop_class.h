#pragma once
// The desktop's windows, told by their class name in any letter case.

#include <string>

// True for the class names "Progman" and "WorkerW", in any case.
bool IsDesktopClass(const std::string& className);

// Byte-wise comparison after upper-casing a-z; 0 when equal, else negative or positive.
int CompareNoCase(const std::string& a, const std::string& b);
