#pragma once
// The accessible object of a top-level window, obtained with a bounded wait.

#include <windows.h>
#include <oleacc.h>

#include "util/com_ptr.h"

// How long a window may take to answer WM_GETOBJECT. Getting the object normally takes
// milliseconds; a browser that does not answer within this time is treated as having none, so a
// hung browser holds the monitor loop for at most about this long per report.
constexpr DWORD kWindowObjectTimeoutMs = 1000;

// What AccessibleObjectFromWindow(window, objectId, IID_IAccessible) gives, but the window's
// answer to WM_GETOBJECT is awaited at most `timeoutMs`: the window's own object when it answers
// with one, else the system's standard object (of the window for OBJID_WINDOW, of its client
// area for OBJID_CLIENT). Returns S_OK with `object` set, or a
// failure code with `object` null; HRESULT_FROM_WIN32(ERROR_TIMEOUT) when the window did not
// answer in time.
HRESULT getWindowAccessible(HWND window, DWORD timeoutMs, lookout::com_ptr<IAccessible>& object,
                            LONG objectId = OBJID_WINDOW);
