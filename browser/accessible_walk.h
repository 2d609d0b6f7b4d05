#pragma once
// Walks of a window's accessibility tree, each on a thread of its own. The calls of a walk go to
// the browser's process and have no time-out of their own, so a browser whose thread stops
// answering in the middle of a walk would hold the monitor loop for as long as it hangs; the
// caller waits a bounded time instead and leaves such a walk to end by itself.

#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <string>

#include "browser/walk_bounds.h"

// How long the caller waits for a walk once the window's object is there.
constexpr DWORD kWalkTimeoutMs = WalkBounds::kMaxMs;

// Walks that may be under way at once, the one waited for and those left behind. A hung browser
// holds one of them for as long as it hangs, not one more for every time its window comes to the
// front; past this number no walk starts.
constexpr unsigned kMaxOutstandingWalks = 4;

// The work done on the window's object: a text (such as an address), within `bounds`.
using AccessibleWalk = std::function<std::string(IAccessible* root, WalkBounds& bounds)>;

// Gets the window's accessible object and runs `walk` on it, on a thread of its own under the
// crash guard, and returns what `walk` returned. Empty when the window has no object (or does not
// hand it out in time), when the walk faults or does not end in time, and when no walk starts: a
// walk of this same window is still under way, or kMaxOutstandingWalks walks are. `caller` names
// the reader in the log lines.
std::string walkAccessibleTree(HWND window, const char* caller, AccessibleWalk walk);
