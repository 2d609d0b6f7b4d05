#include "browser/browser_info.h"

// No browser is recognised yet, so every window is reported as an application.

bool isBrowserWindow(HWND) { return false; }

bool GetBrowserInfo(HWND, const AppRecord& app, SiteRecord& site, HWND) {
    site.title = app.title;
    return false;
}
