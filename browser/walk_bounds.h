#pragma once
// How far one walk of an accessibility tree may go. Every call of a walk goes to the browser's
// process: a tree that answers quickly but never ends (a child count of 2^31 with an enumerator
// that gives nothing, a node whose children are itself) would otherwise keep a walk calling for
// as long as that process lives, long after its caller stopped waiting for it.

#include <windows.h>

class WalkBounds {
public:
    // A real Firefox tree holds a few thousand objects before the document, and an object costs
    // the walk up to seven calls.
    static constexpr unsigned kMaxCalls = 50000;
    // How long a walk may take once the window's object is there; its caller waits as long.
    static constexpr DWORD kMaxMs = 3000;

    // Milliseconds from any fixed start, as GetTickCount64 gives them.
    using Clock = ULONGLONG (*)();

    // The bounds of a walk that starts now, by `clock`.
    explicit WalkBounds(unsigned maxCalls = kMaxCalls, DWORD maxMs = kMaxMs,
                        Clock clock = GetTickCount64);

    // Counts `calls` about to be made. False once the calls or the time are used up; the walk
    // must then stop. The first refusal is logged.
    bool allow(unsigned calls);

private:
    Clock clock_;
    unsigned callsLeft_;
    ULONGLONG start_;
    ULONGLONG deadline_;
    bool stopped_ = false;
};
