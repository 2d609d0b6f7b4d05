#pragma once
// Finds the address field in the accessibility tree of a Chromium-family browser window (Chrome,
// Edge, Brave, Opera, Vivaldi, Yandex). These draw their address field inside the frame; the
// frame's own client object exposes it as an editable text element with the keyboard shortcut
// "Ctrl+L" (not translated), whose value is the text on display. Its name is translated, and
// never asked: a browser may take the reading of a name for a screen reader at work and turn on
// the accessibility of every page.

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "browser/address_element.h"
#include "browser/walk_bounds.h"

struct ChromiumAddress {
    AddressElement element;  // signs: its role and keyboard shortcut
    std::string value;       // as shown: without "https://" unless the user asked for it
};

// What a text element's keyboard shortcut says of it.
enum class AddressKey {
    kNone,           // no shortcut ending in "+L"
    kExact,          // "Ctrl+L": the address field
    kOtherModifier,  // one other modifier ("Strg+L", "Shift+L"): only when no "Ctrl+L" exists
    kNever,          // two modifiers ("Ctrl+Shift+L") or Alt ("Alt+L", a dialog's mnemonic)
};
AddressKey addressKeyOf(const std::string& shortcut);

// Walks the tree below `root`, toolbars first at every level outside a toolbar, entering only
// objects that may hold the address field (tree_level.h). The address element is the first text
// element whose shortcut is "Ctrl+L" (the walk stops there); else the first with one other
// modifier before "L"; else the first text element inside a toolbar whose shortcut is not of
// the kNever kind. False when none is found; a walk that used up its bounds gives the best
// element met until then. Asks each object its role, each text element its shortcut, and the
// element found its value.
bool findChromiumAddress(IAccessible* root, WalkBounds& bounds, ChromiumAddress& found);
