#pragma once
// The DDE client's dispatch thread and its hidden message-only window, which receives the
// browsers' acknowledgements and data while the monitor thread waits for a reply.

#include <windows.h>

constexpr char kDDEWindowClassName[] = "DDEMsgProcessingWindow";

// Starts the dispatch thread; returns its message window, or null when the thread did not come
// up within a second or the window could not be created. Called once: a second call cannot
// register the window class again and yields null.
HWND startDDEDispatchLoop();
// The dispatch thread's message loop for the DDE window; returns once the window is gone.
void runDDEMessageLoop(HWND window);

// Registers the window class and creates the DDE window, with the console window's instance
// handle (null without a console window). Null on failure, an already registered class included.
HWND createConsoleDDEProcessingWindow(HWND consoleWindow);

LRESULT CALLBACK DDEWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
