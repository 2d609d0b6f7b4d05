#pragma once
// Reads the address from the omnibox child window of a Chrome-family browser window.

#include <windows.h>

#include <string>

// The omnibox text, or empty when no omnibox was found.
std::string getChromeUrl(HWND window);
