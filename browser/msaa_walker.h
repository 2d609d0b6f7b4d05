#pragma once
// Reads a Firefox window's address from its accessibility (MSAA) tree.

#include <windows.h>

#include <optional>
#include <string>

class WalkerMSAA {
public:
    // The address found in the window's tree by the older Firefox's address combo box, or empty.
    // The walk itself is walkFirefoxTree (browser/msaa_tree.h); it runs on a thread of its own
    // (browser/accessible_walk.h), and the window's object and the walk are awaited for a bounded
    // time only: a browser that stops answering in the middle of it, or whose tree never ends,
    // gives an empty address.
    // `inputText` receives the value of current Firefox's address input (see AddressInput),
    // possibly empty, or none when the tree holds no such input. When the walk found no older
    // address and met that input, the window's next report reads the input again instead of
    // walking (browser/kept_elements.h).
    static std::string getFirefoxURL(HWND window, std::optional<std::string>& inputText);
};
