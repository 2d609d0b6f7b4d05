#pragma once
// Reads a Firefox window's address from its accessibility (MSAA) tree.

#include <windows.h>

#include <optional>
#include <string>

class WalkerMSAA {
public:
    // The address found in the window's tree, or empty. The walk itself is walkFirefoxTree
    // (browser/msaa_tree.h); it runs on a thread of its own (browser/accessible_walk.h), and the
    // window's object and the walk are awaited for a bounded time only: a browser that stops
    // answering in the middle of it, or whose tree never ends, gives an empty address.
    // `comboText` receives the value of the text element in the first combo box the walk met
    // (see FirstComboText), the address of current Firefox, or none. When the walk found no
    // address and that element was met, the window's next report reads the element again
    // instead of walking (browser/kept_elements.h).
    static std::string getFirefoxURL(HWND window, std::optional<std::string>& comboText);
};
