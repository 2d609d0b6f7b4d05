#pragma once
// The walk of a Firefox accessibility tree that finds the address. Older Firefox names its
// address combo box after the address and holds a text element of that name; current Firefox
// (2024 on) has an address input among the combo boxes of its navigation toolbar, known by its
// place only (its name is translated text). Takes any IAccessible, so the walk runs on in-process
// objects as well as on proxies of a browser's objects.

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "browser/address_element.h"
#include "browser/msaa_calls.h"
#include "browser/walk_bounds.h"

// walkFirefoxTree's results: stop ends the walk at every level (the older address combo box's
// text element settled the address, or a failure or the bounds ended the walk); input-found ends
// it once the first toolbar holding combo boxes has been walked; go-on (or any failure code,
// which is negative) lets the caller continue with the next sibling.
constexpr HRESULT kWalkStop = 0;
constexpr HRESULT kWalkGoOn = 1;
constexpr HRESULT kWalkInputFound = 2;

// Levels below the root that are entered at most. Real trees are far shallower; the limit keeps
// a tree that contains itself (a child reporting an ancestor) from overflowing the stack. An
// object at this depth is treated as one without children.
constexpr int kMaxWalkDepth = 512;

// Current Firefox's address input: the last combo box, in the walk's order, of the first toolbar
// that holds combo boxes. In the 2026 layout that is the input itself, whose value is the
// address (the search-mode button before it is a combo box too); in the 2024-25 layout it is a
// container whose text element inside holds the address. `element` is whichever gave `value`:
// the combo box when its own value is not empty, else its first text element, else the combo
// box (an empty input).
struct AddressInput {
    bool found = false;
    AddressElement element;
    std::string value;
};

// Walks the children of `object`, toolbars first at every level outside a toolbar. With
// `insideUrlCombo` false every child is checked for the older address combo box (role combo box,
// a non-empty name equal to its value; the name becomes `address`), which is then searched
// with `insideUrlCombo` true: only its direct children are checked for the text element whose
// name equals `address`; that element's value becomes `address` and the walk stops.
// Only combo boxes are asked for their name and value, and only objects that may hold the
// address are entered (tree_level.h): documents get no call but their role.
// Returns kWalkStop, kWalkInputFound, kWalkGoOn, or the failure code of the child count or
// enumerator query. A walk that uses up its bounds stops at every level, `address` as it stands.
// With `input`, and when `address` is empty at the end, the current address input is looked
// for as well and given there.
HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address,
                        WalkBounds& bounds, AddressInput* input = nullptr);
HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address);
