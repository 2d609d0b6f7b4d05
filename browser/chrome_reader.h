#pragma once
// Reads the address from the omnibox child window of a Chrome-family browser window.

#include <windows.h>

#include <string>

// The omnibox classes, compared whole and case-sensitively. Either is read whatever the
// browser's code was.
inline constexpr char kChromeOmniboxClass[] = "Chrome_OmniboxView";
inline constexpr char kYandexOmniboxClass[] = "YandexBrowser_OmniboxView";

// The omnibox text (at most 1023 bytes), or empty when no omnibox was found or it did not answer.
std::string getChromeUrl(HWND window);

// The steps of getChromeUrl, each traced under its own name.
void passThroughChildChromeWindows(HWND window, std::string& result);
// EnumChildWindows callback; the user value is a ChildSearch. Nonzero to go on.
BOOL CALLBACK forEachChildChromeWindow(HWND child, LPARAM userValue) noexcept;
void processChromeAddressWindow(HWND omnibox, std::string* result);
