#include "browser/accessible_walk.h"

#include <process.h>

#include <memory>
#include <utility>

#include "browser/msaa_window_object.h"
#include "diag/debug_log.h"
#include "diag/thread_guard.h"
#include "util/com_ptr.h"
#include "util/unique_handle.h"

namespace {

// The windows whose walks are under way. Plain data that needs no destruction: a thread left
// behind may end at any time, the exit of the process included.
struct WalkSlot {
    bool used;
    HWND window;
};
SRWLOCK slotsLock = SRWLOCK_INIT;
WalkSlot slots[kMaxOutstandingWalks] = {};

enum class Claim { kClaimed, kSameWindow, kAllTaken };

Claim claimSlot(HWND window, unsigned& slot) {
    AcquireSRWLockExclusive(&slotsLock);
    Claim claim = Claim::kAllTaken;
    for (unsigned i = 0; i < kMaxOutstandingWalks; ++i) {
        if (slots[i].used && slots[i].window == window) {
            claim = Claim::kSameWindow;
            break;
        }
        if (!slots[i].used && claim == Claim::kAllTaken) {
            claim = Claim::kClaimed;
            slot = i;
        }
    }
    if (claim == Claim::kClaimed) slots[slot] = {true, window};
    ReleaseSRWLockExclusive(&slotsLock);
    return claim;
}

void releaseSlot(unsigned slot) {
    AcquireSRWLockExclusive(&slotsLock);
    slots[slot] = {false, nullptr};
    ReleaseSRWLockExclusive(&slotsLock);
}

struct WalkJob {
    HWND window = nullptr;
    AccessibleWalk walk;
    unsigned slot = 0;
    std::string result;
    lookout::unique_kernel_handle done;  // set once `result` holds the walk's result
};
using JobRef = std::shared_ptr<WalkJob>;

std::string walkWindow(const WalkJob& job) {
    lookout::com_ptr<IAccessible> root;
    HRESULT result = getWindowAccessible(job.window, kWindowObjectTimeoutMs, root);
    if (FAILED(result)) {
        if (result == HRESULT_FROM_WIN32(ERROR_TIMEOUT))
            logMessage("WM_GETOBJECT: the window did not answer within %u ms",
                       static_cast<unsigned>(kWindowObjectTimeoutMs));
        logMessage("AccessibleObjectFromWindow: object was not found");
        return {};
    }
    WalkBounds bounds;
    return job.walk(root.get(), bounds);
}

// Under the crash guard: the window's reply and the walk's calls come from another process.
void runJob(void* context) {
    WalkJob& job = *static_cast<WalkJob*>(context);
    try {
        job.result = walkWindow(job);
    } catch (...) {
        job.result.clear();
    }
}

// A fault in the walk ends the walk only: it touched nothing but its own objects. False after
// a fault.
bool runGuardedJob(WalkJob& job) {
    if (runGuarded(runJob, &job, ThreadFault::EndsWork)) return true;
    job.result.clear();
    return false;
}

void logFault() { logMessage("Accessibility walk ended by a fault; no text from it"); }

unsigned __stdcall walkThread(void* parameter) {
    JobRef job = std::move(*std::unique_ptr<JobRef>(static_cast<JobRef*>(parameter)));
    // Calls from the multithreaded apartment wait for their answer without a message loop.
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const bool ended = runGuardedJob(*job);
    if (SUCCEEDED(initialised)) CoUninitialize();
    releaseSlot(job->slot);  // before the event: the caller may start the next walk at once
    if (!ended) logFault();
    SetEvent(job->done.get());
    return 0;
}

}  // namespace

std::string walkAccessibleTree(HWND window, const char* caller, AccessibleWalk walk) {
    unsigned slot = 0;
    switch (claimSlot(window, slot)) {
        case Claim::kClaimed:
            break;
        case Claim::kSameWindow:
            logMessage("%s: an earlier walk still waits for its browser; no walk now", caller);
            return {};
        case Claim::kAllTaken:
            logMessage("%s: %u walks still wait for their browsers; no walk now", caller,
                       kMaxOutstandingWalks);
            return {};
    }
    auto job = std::make_shared<WalkJob>();
    job->window = window;
    job->walk = std::move(walk);
    job->slot = slot;
    job->done.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto parameter = std::make_unique<JobRef>(job);
    lookout::unique_kernel_handle thread;
    if (job->done)
        thread.reset(reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, walkThread, parameter.get(), 0, nullptr)));
    if (!thread) {
        // No thread to bound it with: the walk runs here, its calls without a time-out.
        const bool ended = runGuardedJob(*job);
        releaseSlot(slot);
        if (!ended) logFault();
        return job->result;
    }
    parameter.release();  // the thread owns this reference now
    const DWORD boundMs = kWindowObjectTimeoutMs + kWalkTimeoutMs;
    if (WaitForSingleObject(job->done.get(), boundMs) != WAIT_OBJECT_0) {
        logMessage("%s: the walk did not end within %u ms; it is left to its browser", caller,
                   static_cast<unsigned>(boundMs));
        return {};
    }
    return job->result;
}
