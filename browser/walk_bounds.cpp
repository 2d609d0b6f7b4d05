#include "browser/walk_bounds.h"

#include "diag/debug_log.h"

WalkBounds::WalkBounds(unsigned maxCalls, DWORD maxMs)
    : callsLeft_(maxCalls), start_(GetTickCount64()), deadline_(start_ + maxMs) {}

bool WalkBounds::allow(unsigned calls) {
    if (stopped_) return false;
    const ULONGLONG now = GetTickCount64();
    if (calls <= callsLeft_ && now < deadline_) {
        callsLeft_ -= calls;
        return true;
    }
    stopped_ = true;
    logMessage("Accessibility walk stopped at its bound after %u ms, %u calls left",
               static_cast<unsigned>(now - start_), callsLeft_);
    return false;
}
