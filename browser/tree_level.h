#pragma once
// One level of a browser's accessibility tree as the address walks read it: the children of an
// object, and which of them a walk enters at all.

#include <windows.h>
#include <oleacc.h>

#include <vector>

#include "browser/walk_bounds.h"
#include "util/com_ptr.h"

// Elements asked of the enumerator in one Next call. A level of a real browser holds a few
// dozen; one call for all of them instead of one each spares a round trip to the browser's
// process per child.
constexpr ULONG kChildrenPerNext = 64;

struct TreeChild {
    LONG position;  // among the enumerator's elements, 0 for the first
    lookout::com_ptr<IAccessible> object;
};

struct TreeLevel {
    // A failed child count or enumerator query (the object is not entered); S_OK otherwise.
    HRESULT result = S_OK;
    bool nextFailed = false;   // the enumerator failed; `children` holds what came before
    bool outOfBounds = false;  // the walk's bounds are used up; it must stop
    // In the enumerator's order; elements without an object of their own are left out.
    std::vector<TreeChild> children;
};

// The children of `object`: the child count first (an object without children costs that one
// call), then the enumerator, Reset and Next. Every call and every element handed out is
// counted against `bounds`.
TreeLevel readTreeLevel(IAccessible* object, WalkBounds& bounds);

// Whether an object of this role can hold a browser's address field, and a walk enters it. Not
// the page (a document: thousands of objects, and a page must not be able to show an address of
// its own), nor the tab strip, whose size grows with every open tab, nor menus, title bar,
// scroll bars, lists, buttons' insides, links, texts and pictures.
bool mayHoldAddressField(LONG role);
