#pragma once
// Reads a Firefox window's address from its accessibility tree.

#include <windows.h>

#include <string>

class WalkerMSAA {
public:
    // The address found in the window's tree, or empty.
    static std::string getFirefoxURL(HWND window);
};
