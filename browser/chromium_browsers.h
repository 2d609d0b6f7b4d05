#pragma once
// The Chromium-based browsers of today, known by the file name of their executable: their frame
// windows share the class "Chrome_WidgetWin_1" with every Electron application (editors, chat
// programs), which must stay ordinary applications.

#include <string>

// Whether the executable at `modulePath` (a full path, or a bare file name) is one of them. The
// file name is compared whole and in any case.
bool isChromiumBrowserExecutable(const std::string& modulePath);
