#pragma once
// Reads the address a Chromium-family browser window of today shows, from the accessibility tree
// its frame serves for its client area.

#include <windows.h>

#include <optional>
#include <string>

// The address element's value as shown, empty for an empty field (a new tab). None when the tree
// holds no address element, or when it could not be walked in time.
// The first report of a window walks its tree (browser/chromium_tree.h); later ones read the
// element found then, as long as it shows the same signs (browser/kept_elements.h).
std::optional<std::string> getChromiumAddress(HWND window);
