#pragma once
// Browser classification and the address dispatcher.

#include <windows.h>

#include "app/records.h"

// True when the top-level window is a browser's main window.
bool isBrowserWindow(HWND window);

// Fills `site` with the address shown in the browser window; false when none could be had.
bool GetBrowserInfo(HWND window, const AppRecord& app, SiteRecord& site, HWND ddeWindow);
