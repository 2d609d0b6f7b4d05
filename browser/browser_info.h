#pragma once
// Fills the site record of a browser window with the address it shows.

#include <windows.h>

#include "browser/classify.h"
#include "util/record_types.h"

// True when `site` is to be reported. Both fields of `site` are set on every call, so nothing
// of an earlier window survives.
bool GetBrowserInfo(HWND window, const AppRecord& app, SiteRecord& site, HWND ddeWindow);
