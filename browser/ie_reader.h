#pragma once
// Reads the address from the edit control beside an Internet Explorer window's address toolbar.

#include <windows.h>

#include <string>

// The edit control's text (at most 1023 bytes), or empty when no address bar was found or its
// edit control did not answer.
std::string getIExprolerUrl(HWND window);

// The steps of getIExprolerUrl, each traced under its own name. The callbacks' user value is a
// ChildSearch; they return nonzero to go on.
void passThroughChildIExprolerWindows(HWND window, std::string& result);
BOOL CALLBACK forEachChildIExprolerWindow(HWND child, LPARAM userValue) noexcept;
BOOL CALLBACK forEachChildIExprolerURLEditChildsWindow(HWND child, LPARAM userValue) noexcept;
void processIExprolerAddressWindow(HWND edit, std::string& result);
