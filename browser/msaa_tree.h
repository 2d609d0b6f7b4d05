#pragma once
// The depth-first walk of a Firefox accessibility tree that finds the address combo box and the
// editable text element inside it. Takes any IAccessible, so the walk runs on in-process objects
// as well as on proxies of a browser's objects.

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "browser/address_element.h"
#include "browser/msaa_calls.h"
#include "browser/walk_bounds.h"

// walkFirefoxTree's results: stop ends the walk at every level; go-on (or any failure code,
// which is negative) lets the caller continue with the next sibling.
constexpr HRESULT kWalkStop = 0;
constexpr HRESULT kWalkGoOn = 1;

// Levels below the root that are entered at most. Real trees are far shallower; the limit keeps
// a tree that contains itself (a child reporting an ancestor) from overflowing the stack. An
// object at this depth is treated as one without children.
constexpr int kMaxWalkDepth = 512;

// Noted by walkFirefoxTree on its way, from the calls it makes anyway: the first combo box
// outside documents, unless it is the address combo box the walk looks for, and the first text
// element among its direct children. Current Firefox names its address combo box differently
// from its value, so the walk never matches it; that text element holds its address.
struct FirstComboText {
    bool comboMet = false;  // the first combo box has been passed
    bool found = false;     // and a text element below it: `element` (signs: its name), `value`
    AddressElement element;
    std::string value;
};

// Walks the children of `object`. With `insideUrlCombo` false every child is checked for the
// address combo box (role combo box, a non-empty name equal to its value; the name becomes
// `address`) and descended into; only combo boxes, and the text element noted below the first
// one, are asked for their name and value. With `insideUrlCombo` true (the level right below a matched
// combo box) only the direct children are checked for the text element whose name equals
// `address`; its value becomes `address` and the walk stops.
// Documents (the pages' content) are never descended into: a page's tree can hold thousands of
// objects, and a page must not be able to put an address of its own in front of the browser's.
// Returns kWalkStop, kWalkGoOn, or the failure code of the enumerator query or the child count.
// A walk that uses up its bounds stops at every level (kWalkStop), `address` as it stands.
// With `firstCombo`, the walk notes the first combo box's text element there.
HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address,
                        WalkBounds& bounds, FirstComboText* firstCombo = nullptr);
HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address);
