#include "app/watchdog.h"

#include <process.h>

#include <atomic>
#include <cstdint>

#include "app/records.h"
#include "diag/debug_log.h"
#include "diag/thread_guard.h"

namespace {

// The end writes the queued records (a second at most) and the log; should a lock that the dead
// thread held stop it, the process still ends this long after the end began.
constexpr DWORD kEndingGraceMs = 3000;
// How often the time of the last poll is looked at, at most.
constexpr DWORD kLongestCheckMs = 1000;

struct Watch {
    HANDLE loopThread = nullptr;
    HANDLE ending = nullptr;  // set when the end begins
    DWORD staleLimitMs = kStalePollLimitMs;
};

std::atomic<std::uint64_t> lastPollMs{0};
std::atomic<bool> standingAside{false};

// Milliseconds that do not advance while the machine sleeps or hibernates, so that the time a
// laptop spent with its lid closed never counts as a loop that did not poll.
std::uint64_t nowMs() {
    ULONGLONG units = 0;  // 100 ns
    QueryUnbiasedInterruptTime(&units);
    return units / 10000;
}

void forceEnd(void* context) {
    const Watch& watch = *static_cast<const Watch*>(context);
    WaitForSingleObject(watch.ending, INFINITE);
    Sleep(kEndingGraceMs);
    endProcessNow(kStoppedPollingExitCode);
}

[[noreturn]] void endStoppedLoop(const Watch& watch, const char* reason) {
    SetEvent(watch.ending);
    logMessage("Watchdog: %s", reason);
    logMessage("Lookout Terminated");
    closeDebugLog();
    closeStandardOutput();
    endProcessNow(kStoppedPollingExitCode);
}

void watchLoop(void* context) {
    const Watch& watch = *static_cast<const Watch*>(context);
    const DWORD checkMs = watch.staleLimitMs / 4 < kLongestCheckMs
                              ? (watch.staleLimitMs / 4 ? watch.staleLimitMs / 4 : 1)
                              : kLongestCheckMs;
    for (;;) {
        const bool loopEnded = WaitForSingleObject(watch.loopThread, checkMs) != WAIT_TIMEOUT;
        if (standingAside) {
            Sleep(checkMs);
            continue;
        }
        if (loopEnded)
            endStoppedLoop(watch, "the monitor loop's thread has ended");
        if (nowMs() - lastPollMs.load(std::memory_order_relaxed) > watch.staleLimitMs)
            endStoppedLoop(watch, "the monitor loop has stopped polling");
    }
}

struct GuardedStart {
    void (*body)(void*);
    Watch* watch;
};

unsigned __stdcall guardedThread(void* context) {
    // Copied out and freed here, where the thread that started it no longer needs it.
    const GuardedStart start = *static_cast<GuardedStart*>(context);
    delete static_cast<GuardedStart*>(context);
    runGuarded(start.body, start.watch, ThreadFault::EndsProgram);
    return 0;
}

HANDLE startThread(void (*body)(void*), Watch* watch) {
    auto* start = new GuardedStart{body, watch};
    HANDLE thread =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, guardedThread, start, 0, nullptr));
    if (!thread) delete start;
    return thread;
}

}  // namespace

bool startWatchdog(DWORD staleLimitMs) {
    // Lives as long as the process: the watching threads use it until the end.
    auto* watch = new Watch;
    watch->staleLimitMs = staleLimitMs;
    watch->ending = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!watch->ending ||
        !DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(),
                         &watch->loopThread, SYNCHRONIZE, FALSE, 0)) {
        logMessage("Error %lu: the watchdog cannot be started", GetLastError());
        return false;
    }
    markPoll();
    // The thread that forces the end exists before it is needed: a thread that died holding the
    // heap's lock could stop the start of a new one.
    HANDLE forcing = startThread(forceEnd, watch);
    HANDLE watching = forcing ? startThread(watchLoop, watch) : nullptr;
    if (!watching) {
        logMessage("Error: the watchdog cannot be started");
        return false;
    }
    CloseHandle(forcing);
    CloseHandle(watching);
    return true;
}

void markPoll() { lastPollMs.store(nowMs(), std::memory_order_relaxed); }

void standAsideForFault() { standingAside = true; }
