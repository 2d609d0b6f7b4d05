#include "diag/crash_guard.h"

bool runUnderCrashGuard(void (*body)(), CrashFilter filter) {
    using Body = void (*)();
    return runUnderCrashGuard([](void* held) { (*static_cast<Body*>(held))(); }, &body, filter);
}

#if defined(_MSC_VER)

bool runUnderCrashGuard(void (*body)(void*), void* context, CrashFilter filter) {
    __try {
        body(context);
    } __except (filter(GetExceptionInformation())) {
        return true;
    }
    return false;
}

#else  // mingw-w64 g++: no __try/__except, but the __try1/__except1 scope-table macros

#include <excpt.h>

#include <utility>

namespace {

// Per thread: the filter of the innermost guard running on this thread, and whether it ran.
thread_local CrashFilter activeFilter = nullptr;
thread_local volatile bool filterRan = false;

}  // namespace

// Called by the system's scope handler during the first pass of exception dispatch, so the
// filter sees the state at the fault. Named in assembly by __try1, hence C linkage.
extern "C" __attribute__((used)) LONG lookoutCrashGuardFilter(EXCEPTION_POINTERS* info, void*) {
    filterRan = true;
    LONG disposition = activeFilter(info);
    // Executing the handler for a g++ exception makes libgcc's unwinder loop for ever: let it
    // go on to the catch in runUnderCrashGuard instead. The filter has run all the same.
    if (info && info->ExceptionRecord && info->ExceptionRecord->ExceptionCode == kCppExceptionCode)
        return EXCEPTION_CONTINUE_SEARCH;
    return disposition;
}

namespace {

// The guard stays a call of its own that the optimiser does not see through. clang lacks
// noipa; noinline is the nearest it has.
#if defined(__clang__)
#define LOOKOUT_NO_IPA __attribute__((noinline))
#else
#define LOOKOUT_NO_IPA __attribute__((noipa))
#endif

// Holds no object with a destructor: g++ would otherwise replace the scope handler with its
// own and the guard would do nothing.
LOOKOUT_NO_IPA bool callGuarded(void (*body)(void*), void* context) {
    filterRan = false;
    __try1(lookoutCrashGuardFilter)
    __asm__ __volatile__("" ::: "memory");
    body(context);
    __asm__ __volatile__("" ::: "memory");
    __except1
    return filterRan;
}

// Puts back the state of an enclosing guard on this thread, if any, when the inner one ends.
class ActiveGuard {
public:
    explicit ActiveGuard(CrashFilter filter)
        : outerFilter_(std::exchange(activeFilter, filter)), outerRan_(filterRan) {}
    ~ActiveGuard() {
        activeFilter = outerFilter_;
        filterRan = outerRan_;
    }
    ActiveGuard(const ActiveGuard&) = delete;
    ActiveGuard& operator=(const ActiveGuard&) = delete;

private:
    CrashFilter outerFilter_;
    bool outerRan_;
};

}  // namespace

bool runUnderCrashGuard(void (*body)(void*), void* context, CrashFilter filter) {
    ActiveGuard active(filter);
    try {
        return callGuarded(body, context);
    } catch (...) {
        // A C++ exception: the filter ran at the throw point unless nothing let it see one.
        if (!filterRan) filter(nullptr);
        return true;
    }
}

#endif
