#pragma once
// Walks of a window's accessibility tree, each on a thread of its own. The calls of a walk go to
// the browser's process and have no time-out of their own, so a browser whose thread stops
// answering in the middle of a walk would hold the monitor loop for as long as it hangs; the
// caller waits a bounded time instead and leaves such a walk to end by itself.

#include <windows.h>
#include <oleacc.h>

#include <functional>

#include "browser/walk_bounds.h"
#include "util/com_ptr.h"

// How long the caller waits for a walk once the window's object is there.
constexpr DWORD kWalkTimeoutMs = WalkBounds::kMaxMs;

// Walks that may be under way at once, the one waited for and those left behind. A hung browser
// holds one of them for as long as it hangs, not one more for every time its window comes to the
// front; past this number no walk starts.
constexpr unsigned kMaxOutstandingWalks = 4;

// The accessible object of the window a walk is for, asked for on first use: a walk that reads
// an element kept from an earlier walk needs none.
class WindowObject {
public:
    WindowObject(HWND window, LONG objectId, bool keepsObjects)
        : window_(window), objectId_(objectId), keepsObjects_(keepsObjects) {}

    HWND window() const { return window_; }
    // Null when the window has no object or does not hand it out in time (both are logged).
    IAccessible* get();
    // Whether objects of this walk may be kept for a later walk. True on the walk threads, whose
    // apartment is kept up for the rest of the run so that the browser's objects they obtained
    // stay usable by the next walk thread.
    bool keepsObjects() const { return keepsObjects_; }

private:
    HWND window_;
    LONG objectId_;
    bool keepsObjects_;
    bool asked_ = false;
    lookout::com_ptr<IAccessible> object_;
};

// The work done on the window's object; it leaves its findings where it captured them.
using AccessibleWalk = std::function<void(WindowObject& root)>;

// Runs `walk` for the window's object `objectId` (OBJID_WINDOW, OBJID_CLIENT) on a thread of its
// own under the crash guard. True when the walk ended in time; false when no walk started (a walk
// of this same window is still under way, or kMaxOutstandingWalks walks are), when it faulted or
// threw, or when it did not end within kWindowObjectTimeoutMs + kWalkTimeoutMs: nothing the walk
// left may be used then, as a walk left behind may still be writing it. `caller` names the reader
// in the log lines.
bool walkAccessibleTree(HWND window, LONG objectId, const char* caller, AccessibleWalk walk);
