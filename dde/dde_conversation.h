#pragma once
// The DDE conversation with a browser on the topic "WWW_GetWindowInfo", in raw DDE messages.
// The requesting side is a member of DDEServersList (monitor thread); these are the receiving
// side's steps, run by the DDE window's procedure on the dispatch thread.

#include <windows.h>

constexpr char kDDETopic[] = "WWW_GetWindowInfo";
constexpr char kDDERequestItem[] = "0xFFFFFFFF";  // the browser's current window
constexpr DWORD kDDEInitiateTimeoutMs = 1000;     // for each top-level window of the broadcast
constexpr DWORD kDDEAnswerWaitMs = 1000;
constexpr DWORD kDDETerminateTimeoutMs = 1000;
constexpr WORD kDDEPositiveAck = 0x8000;

// Posts the request for the item to a server (the DDE window's WM_USER).
void sendDDERequest(HWND serverWindow, HWND ddeWindow);
// Reads a WM_DDE_DATA message, acknowledges it when asked, and stores its text (empty when the
// data cannot be read), which completes the waiting request.
void onDDEData(HWND ddeWindow, HWND serverWindow, LPARAM lParam);
// Releases what a WM_DDE_ACK carries. `sent` is true for an acknowledgement that was sent rather
// than posted: the answer to an initiate, whose lParam holds the server's application and topic
// atoms as they stand; a posted one holds a packed status and item atom.
void releaseDDEAckParam(LPARAM lParam, bool sent);
void sendDDETerminate(HWND serverWindow, HWND ddeWindow);
