#pragma once
// The capture of an accessibility tree into a tree file's NODE (the README's capture format):
// for every object its role, name, value, keyboard shortcut, state, location and child count,
// how its parent handed it out, and its children in order. Bounded like Lookout's walks: the
// calls, the time and the depth of browser/walk_bounds.h and browser/msaa_tree.h.

#include <windows.h>
#include <oleacc.h>

#include <nlohmann/json.hpp>

#include <string>

#include "util/com_ptr.h"

struct CaptureOptions {
    bool documents = false;  // enter objects of role document (the page)
    bool redact = false;     // names and values through redactText
};

struct Capture {
    nlohmann::ordered_json root;
    unsigned long objects = 0;
    unsigned long calls = 0;
    unsigned long documentsSkipped = 0;  // documents not entered
    std::string bound;  // the bound that stopped the capture, empty when none did
};

// Captures the tree below `root` (a counted object, capture/counted_accessible.h, whose calls
// go to `calls`).
Capture captureTree(IAccessible* root, const unsigned long& calls, const CaptureOptions& options);

// Texts as the file carries them: UTF-8, each lone surrogate U+FFFD.
std::string fileText(const std::wstring& text);
