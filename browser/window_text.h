#pragma once
// Asks a window, usually of another process, for its text with WM_GETTEXT, bounded in time.

#include <windows.h>

#include <string>

// How long a text request may hold the monitor loop. A responsive window answers within a few
// milliseconds; one whose thread has stopped pumping is given up on after this.
constexpr UINT kTextRequestTimeoutMs = 500;

// Sends WM_GETTEXT with `capacity` (terminating NUL included) into `buffer` and returns the text
// length up to the first NUL. When the request fails or times out the buffer is emptied, so that
// text from an earlier request never stands in for this window's. The wide form asks in UTF-16.
int requestWindowText(HWND window, char* buffer, int capacity);
int requestWindowText(HWND window, wchar_t* buffer, int capacity);

// The window's text as the record carries it, at most `capacity` - 1 bytes: asked for in UTF-16,
// converted and cut before the first character that does not fit whole, and left in `buffer`
// (`capacity` bytes) too.
std::string requestWindowRecordText(HWND window, char* buffer, int capacity);
