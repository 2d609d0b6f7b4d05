#pragma once
// Reads a Firefox window's address from its accessibility (MSAA) tree.

#include <windows.h>

#include <string>

class WalkerMSAA {
public:
    // The address found in the window's tree, or empty. The walk itself is walkFirefoxTree
    // (browser/msaa_tree.h); it runs on a thread of its own (browser/accessible_walk.h), and the
    // window's object and the walk are awaited for a bounded time only: a browser that stops
    // answering in the middle of it, or whose tree never ends, gives an empty address.
    static std::string getFirefoxURL(HWND window);
};
