#pragma once
// From a window's process to the executable's long path, its file description and the title.

#include <windows.h>

#include "util/record_types.h"

// Fills `app` for the window. 0 means `app` may be reported; otherwise a Windows error code and
// `app` is left as it was: the process could not be examined, or the window was gone by the
// time its title was read. The frame of a packaged app is reported with the app's process and
// the frame's title; `applicationFrame`, when given, tells whether the window is such a frame,
// whose app can change while it stays in front.
DWORD GetModuleInfo(DWORD processId, HWND window, AppRecord& app,
                    bool* applicationFrame = nullptr);
