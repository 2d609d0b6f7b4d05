#pragma once
// Packaged (UWP) apps: each of their windows is a frame owned by ApplicationFrameHost.exe, with
// the app's own window, from the app's process, as a child. Without this rule every packaged app
// would be reported as the frame host.

#include <windows.h>

#include <string>

// True for a window of class "ApplicationFrameWindow" (in any case) whose process runs
// ApplicationFrameHost.exe of the system folder (in any case). The same names elsewhere are an
// ordinary program's, which must not pass for another program's window.
bool isApplicationFrame(const std::string& className, const std::wstring& imagePath);

// The process of the app window in `frame`: a child of class "Windows.UI.Core.CoreWindow" from
// a process other than the frame's. 0 when there is none, as for a suspended app.
DWORD packagedAppProcessId(HWND frame, DWORD frameProcessId);
