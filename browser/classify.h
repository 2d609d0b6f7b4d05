#pragma once
// Whether a top-level window is a browser's main window, and of which kind.

#include <windows.h>

#include <cstdint>
#include <string>

// 0 not a browser, 1 FireFox, 2 IExplore, 3 Opera, 4 Chrome, 6 Yandex, 8 Chromium (a
// Chromium-family browser of today, whose address is read from its accessibility tree); 5 and 7
// are not assigned.
using BrowserType = std::int32_t;

constexpr BrowserType kNotABrowser = 0;
constexpr BrowserType kFirefox = 1;
constexpr BrowserType kInternetExplorer = 2;
constexpr BrowserType kOpera = 3;
constexpr BrowserType kChrome = 4;
constexpr BrowserType kYandex = 6;
constexpr BrowserType kChromium = 8;

// The window's kind, by its class name and, for a Chromium frame without an omnibox window, by
// the executable of its process (`modulePath`, as in the application record).
BrowserType getBrowserType(HWND window, const std::string& modulePath);
bool isBrowserWindow(HWND window, const std::string& modulePath);
// The same without an executable: only the window's class and child windows decide.
BrowserType getBrowserType(HWND window);
bool isBrowserWindow(HWND window);
// The kind's name, which is also its DDE application name; "Unknown" for unassigned codes.
std::string getBrowserTypeString(BrowserType type);
