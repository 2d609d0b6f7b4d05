#pragma once
// Reads a Firefox window's address from its accessibility (MSAA) tree.

#include <windows.h>

#include <string>

class WalkerMSAA {
public:
    // The address found in the window's tree, or empty. The walk itself is walkFirefoxTree
    // (browser/msaa_tree.h); the window's object is awaited for a bounded time only, and the
    // whole walk, which runs on a thread of its own, too: a browser that stops answering in the
    // middle of it gives an empty address.
    static std::string getFirefoxURL(HWND window);
};
