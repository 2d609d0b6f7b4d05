#pragma once
// Asks a window, usually of another process, for its text with WM_GETTEXT, bounded in time.

#include <windows.h>

// How long a text request may hold the monitor loop. A responsive window answers within a few
// milliseconds; one whose thread has stopped pumping is given up on after this.
constexpr UINT kTextRequestTimeoutMs = 500;

// Sends WM_GETTEXT with `capacity` (terminating NUL included) into `buffer` and returns the text
// length up to the first NUL. When the request fails or times out the buffer is emptied, so that
// text from an earlier request never stands in for this window's.
int requestWindowText(HWND window, char* buffer, int capacity);
