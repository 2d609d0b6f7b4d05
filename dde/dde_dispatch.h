#pragma once
// The DDE client's dispatch thread and its message window.

#include <windows.h>

// Starts the dispatch thread; returns its message window, or null when it could not start.
HWND startDDEDispatchLoop();
