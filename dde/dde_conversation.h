#pragma once
// The DDE conversation with a browser on the topic "WWW_GetWindowInfo", in raw DDE messages.
// The requesting side is a member of DDEServersList (monitor thread); these are the receiving
// side's steps, run by the DDE window's procedure on the dispatch thread.

#include <windows.h>

#include "dde/dde_servers_list.h"

constexpr char kDDETopic[] = "WWW_GetWindowInfo";
constexpr char kDDERequestItem[] = "0xFFFFFFFF";  // the browser's current window
constexpr DWORD kDDEInitiateTimeoutMs = 1000;     // for each top-level window of the broadcast
constexpr DWORD kDDEAnswerWaitMs = 1000;
constexpr DWORD kDDETerminateTimeoutMs = 1000;
constexpr WORD kDDEPositiveAck = 0x8000;

// Posts the request for the item to a server (the DDE window's WM_USER); false when it could not
// be posted.
bool sendDDERequest(HWND serverWindow, HWND ddeWindow);
// Reads a WM_DDE_DATA message, acknowledges it when asked by a server Lookout asked, frees the
// block as its flags say, and hands its text (empty when the data cannot be read) on; only the
// answer to the waiting request is kept, and it completes that request.
void onDDEData(HWND ddeWindow, HWND serverWindow, LPARAM lParam);
// Releases what a WM_DDE_ACK carries, as its kind says it is: the answer to an initiate holds the
// server's application and topic atoms as they stand; a posted acknowledgement holds a packed
// status and item atom; a sent one that answers nothing is left alone.
void releaseDDEAckParam(LPARAM lParam, bool sent, DDEAckKind kind);
void sendDDETerminate(HWND serverWindow, HWND ddeWindow);
// A WM_DDE_TERMINATE: a server of Lookout's ends its conversation; it is forgotten and answered
// with a terminate of Lookout's, as the protocol asks. Terminates of other windows are ignored.
void onDDETerminate(HWND ddeWindow, HWND serverWindow);
