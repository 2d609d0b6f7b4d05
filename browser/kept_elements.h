#pragma once
// The address element found in each browser window, kept so that the window's next report reads
// that element again instead of walking the whole tree. Used only on the walk threads: the
// elements' objects belong to their apartment (browser/accessible_walk.h).

#include <windows.h>

#include <optional>
#include <string>

#include "browser/accessible_walk.h"
#include "browser/address_element.h"

// Windows whose elements are kept at most: a user who cycles through more browser windows than
// this makes every switch walk a tree again. When the list is full, the elements of windows that
// have gone make room, else the one kept longest ago.
constexpr std::size_t kMaxKeptElements = 64;

// Keeps `element` as the window's address element, in place of any kept before.
void keepAddressElement(HWND window, AddressElement element);

// Hands out the window's kept element, which is no longer kept. None when there is none, or when
// the window has gone or now belongs to another process.
std::optional<AddressElement> takeAddressElement(HWND window);

// The value of the address element kept for root's window when it still shows the element's signs
// (browser/address_element.h); the element is then kept again. None when nothing is kept for the
// window, when the root's walk keeps no objects, or when the element has changed: the caller then
// walks the tree.
std::optional<std::string> readKeptElement(WindowObject& root, const char* caller);
