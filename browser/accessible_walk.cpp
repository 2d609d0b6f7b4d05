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
    LONG objectId = OBJID_WINDOW;
    AccessibleWalk walk;
    unsigned slot = 0;
    bool keepsObjects = false;  // run on a walk thread whose apartment is kept up
    bool ended = false;         // the walk returned, without a fault or an exception
    lookout::unique_kernel_handle done;  // set once `ended` is final
};
using JobRef = std::shared_ptr<WalkJob>;

// Under the crash guard: the window's reply and the walk's calls come from another process.
void runJob(void* context) {
    WalkJob& job = *static_cast<WalkJob*>(context);
    try {
        // The window's object, and what the walk keeps of it, are released here on this thread.
        WindowObject root(job.window, job.objectId, job.keepsObjects);
        job.walk(root);
        job.ended = true;
    } catch (...) {
        job.ended = false;
    }
}

// A fault in the walk ends the walk only: it touched nothing but its own objects. False after
// a fault.
bool runGuardedJob(WalkJob& job) {
    if (runGuarded(runJob, &job, ThreadFault::EndsWork)) return true;
    job.ended = false;
    return false;
}

// Keeps the process's multithreaded apartment up for the rest of the run. Walk threads come and
// go; without this the apartment, and every proxy of a browser's object obtained in it, would end
// with the last of them. CoIncrementMTAUsage is looked up because older systems lack it: there no
// object is kept and every report walks the tree.
bool keepMultithreadedApartment() {
    static const bool kept = [] {
        HMODULE ole = GetModuleHandleA("ole32.dll");
        FARPROC found = ole ? GetProcAddress(ole, "CoIncrementMTAUsage") : nullptr;
        if (!found) return false;
        using Increment = HRESULT(WINAPI*)(void** cookie);  // the cookie is never given back
        auto increment = reinterpret_cast<Increment>(reinterpret_cast<void*>(found));
        void* cookie = nullptr;
        return SUCCEEDED(increment(&cookie));
    }();
    return kept;
}

void logFault() { logMessage("Accessibility walk ended by a fault; no text from it"); }

unsigned __stdcall walkThread(void* parameter) {
    JobRef job = std::move(*std::unique_ptr<JobRef>(static_cast<JobRef*>(parameter)));
    // Calls from the multithreaded apartment wait for their answer without a message loop.
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    job->keepsObjects = SUCCEEDED(initialised) && keepMultithreadedApartment();
    const bool ended = runGuardedJob(*job);
    if (SUCCEEDED(initialised)) CoUninitialize();
    releaseSlot(job->slot);  // before the event: the caller may start the next walk at once
    if (!ended) logFault();
    SetEvent(job->done.get());
    return 0;
}

}  // namespace

IAccessible* WindowObject::get() {
    if (asked_) return object_.get();
    asked_ = true;
    HRESULT result = getWindowAccessible(window_, kWindowObjectTimeoutMs, object_, objectId_);
    if (FAILED(result)) {
        if (result == HRESULT_FROM_WIN32(ERROR_TIMEOUT))
            logMessage("WM_GETOBJECT: the window did not answer within %u ms",
                       static_cast<unsigned>(kWindowObjectTimeoutMs));
        logMessage("AccessibleObjectFromWindow: object was not found");
    }
    return object_.get();
}

bool walkAccessibleTree(HWND window, LONG objectId, const char* caller, AccessibleWalk walk) {
    unsigned slot = 0;
    switch (claimSlot(window, slot)) {
        case Claim::kClaimed:
            break;
        case Claim::kSameWindow:
            logMessage("%s: an earlier walk still waits for its browser; no walk now", caller);
            return false;
        case Claim::kAllTaken:
            logMessage("%s: %u walks still wait for their browsers; no walk now", caller,
                       kMaxOutstandingWalks);
            return false;
    }
    auto job = std::make_shared<WalkJob>();
    job->window = window;
    job->objectId = objectId;
    job->walk = std::move(walk);
    job->slot = slot;
    job->done.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto parameter = std::make_unique<JobRef>(job);
    lookout::unique_kernel_handle thread;
    if (job->done)
        thread.reset(reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, walkThread, parameter.get(), 0, nullptr)));
    if (!thread) {
        // No thread to bound it with: the walk runs here, its calls without a time-out, and it
        // keeps nothing, as this thread's apartment is not the walk threads'.
        const bool ended = runGuardedJob(*job);
        releaseSlot(slot);
        if (!ended) logFault();
        return job->ended;
    }
    parameter.release();  // the thread owns this reference now
    const DWORD boundMs = kWindowObjectTimeoutMs + kWalkTimeoutMs;
    if (WaitForSingleObject(job->done.get(), boundMs) != WAIT_OBJECT_0) {
        logMessage("%s: the walk did not end within %u ms; it is left to its browser", caller,
                   static_cast<unsigned>(boundMs));
        return false;
    }
    return job->ended;
}
