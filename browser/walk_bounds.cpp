#include "browser/walk_bounds.h"

#include "diag/debug_log.h"

WalkBounds::WalkBounds(unsigned maxCalls, DWORD maxMs, Clock clock)
    : clock_(clock), callsLeft_(maxCalls), start_(clock_()), deadline_(start_ + maxMs) {}

bool WalkBounds::allow(unsigned calls) {
    if (stopped_) return false;
    const ULONGLONG now = clock_();
    if (calls <= callsLeft_ && now < deadline_) {
        callsLeft_ -= calls;
        return true;
    }
    stopped_ = true;
    logMessage("Accessibility walk stopped at its bound after %u ms, %u calls left",
               static_cast<unsigned>(now - start_), callsLeft_);
    return false;
}
