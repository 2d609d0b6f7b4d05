#pragma once
// Asks a browser over DDE for the address and title of one of its windows.

#include <windows.h>

#include <string>

// True when the browser answered; url and title are then both replaced from the reply, as the
// record carries them.
// False leaves them as they were.
bool getBrowserUrl(HWND browserWindow, const std::string& browserTypeName, HWND ddeWindow,
                   std::string& url, std::string& title);
