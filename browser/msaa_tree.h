#pragma once
// The depth-first walk of a Firefox accessibility tree that finds the address combo box and the
// editable text element inside it. Takes any IAccessible, so the walk runs on in-process objects
// as well as on proxies of a browser's objects.

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "browser/walk_bounds.h"

// walkFirefoxTree's results: stop ends the walk at every level; go-on (or any failure code,
// which is negative) lets the caller continue with the next sibling.
constexpr HRESULT kWalkStop = 0;
constexpr HRESULT kWalkGoOn = 1;

// Levels below the root that are entered at most. Real trees are far shallower; the limit keeps
// a tree that contains itself (a child reporting an ancestor) from overflowing the stack. An
// object at this depth is treated as one without children.
constexpr int kMaxWalkDepth = 512;

// Walks the children of `object`. With `insideUrlCombo` false every child is checked for the
// address combo box (role combo box, a non-empty name equal to its value; the name becomes
// `address`) and descended into. With `insideUrlCombo` true (the level right below a matched
// combo box) only the direct children are checked for the text element whose name equals
// `address`; its value becomes `address` and the walk stops.
// Returns kWalkStop, kWalkGoOn, or the failure code of the enumerator query or the child count.
// A walk that uses up its bounds stops at every level (kWalkStop), `address` as it stands.
HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address,
                        WalkBounds& bounds);
HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address);

// get_accName / get_accValue of `object` for `child`, converted to the ANSI code page up to the
// first NUL. Empty when the call fails or gives no string.
std::string getAccNameString(IAccessible* object, const VARIANT& child);
std::string getAccValueString(IAccessible* object, const VARIANT& child);

// UTF-16 text up to its first NUL in the ANSI code page; characters without a mapping become the
// code page's default character. Empty for null or when the conversion fails.
std::string narrowAccText(const wchar_t* text);
