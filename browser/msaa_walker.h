#pragma once
// Reads a Firefox window's address from its accessibility (MSAA) tree.

#include <windows.h>

#include <string>

class WalkerMSAA {
public:
    // The address found in the window's tree, or empty. The walk itself is walkFirefoxTree
    // (browser/msaa_tree.h); the window's object is awaited for a bounded time only.
    static std::string getFirefoxURL(HWND window);
};
