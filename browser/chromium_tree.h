#pragma once
// Finds the address field in the accessibility tree of a Chromium-family browser window (Chrome,
// Edge, Brave, Opera, Vivaldi, Yandex). These draw their address field inside the frame; the
// frame's own client object exposes it as an editable text element whose name and keyboard
// shortcut are translated ("Ctrl+L", "Strg+L") and whose value is the text on display.

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "browser/address_element.h"
#include "browser/walk_bounds.h"

struct ChromiumAddress {
    AddressElement element;  // signs: its name and keyboard shortcut
    std::string value;       // as shown: without "https://" unless the user asked for it
};

// Walks the tree below `root` depth-first, never into a document (the page's content, which can
// hold text fields of its own and thousands of objects). The address element is the first text
// element whose keyboard shortcut ends in "+L"; when no element has such a shortcut, the first
// text element inside a toolbar. The walk stops at the first element of the first kind. False
// when neither is found; a walk that used up its bounds gives the toolbar's text element if it
// met one.
bool findChromiumAddress(IAccessible* root, WalkBounds& bounds, ChromiumAddress& found);
