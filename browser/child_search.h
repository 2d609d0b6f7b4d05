#pragma once
// Child-window searches of the address readers: EnumChildWindows with callbacks that may throw.
// An exception must not unwind through the system's frames, so a callback keeps it, ends the
// enumeration, and it is raised again once EnumChildWindows has returned.

#include <windows.h>

#include <exception>
#include <string>

// The user value every search callback receives.
struct ChildSearch {
    std::string* result = nullptr;  // what the search fills; may be null
    std::exception_ptr error;       // an exception raised inside a callback
};

// Runs `step` (returning BOOL: nonzero to go on) for one callback. An exception is kept in
// `search` and ends the enumeration.
template <typename Step>
BOOL guardedChildStep(ChildSearch* search, Step step) noexcept {
    try {
        return step();
    } catch (...) {
        if (search && !search->error) search->error = std::current_exception();
        return FALSE;
    }
}

// EnumChildWindows(parent, callback, &search), then rethrows what a callback kept. Returns what
// EnumChildWindows returned (zero also when a callback ended the search early).
BOOL enumChildWindowsGuarded(HWND parent, WNDENUMPROC callback, ChildSearch& search);
