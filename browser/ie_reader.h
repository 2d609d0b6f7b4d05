#pragma once
// Reads the address from the edit control beside an Internet Explorer window's address toolbar.

#include <windows.h>

#include <string>

// The edit control's text, or empty when no address bar was found.
std::string getIExprolerUrl(HWND window);
