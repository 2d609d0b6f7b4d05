#pragma once
// Whether a top-level window is a browser's main window, and of which kind.

#include <windows.h>

#include <cstdint>
#include <string>

// 0 not a browser, 1 FireFox, 2 IExplore, 3 Opera, 4 Chrome, 6 Yandex; 5 is not assigned.
using BrowserType = std::int32_t;

constexpr BrowserType kNotABrowser = 0;
constexpr BrowserType kFirefox = 1;
constexpr BrowserType kInternetExplorer = 2;
constexpr BrowserType kOpera = 3;
constexpr BrowserType kChrome = 4;
constexpr BrowserType kYandex = 6;

BrowserType getBrowserType(HWND window);
bool isBrowserWindow(HWND window);
// The kind's name, which is also its DDE application name; "Unknown" for unassigned codes.
std::string getBrowserTypeString(BrowserType type);
