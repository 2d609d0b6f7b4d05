#include "browser/msaa_walker.h"

#include <process.h>

#include <atomic>
#include <memory>

#include "browser/msaa_tree.h"
#include "browser/msaa_window_object.h"
#include "diag/debug_log.h"
#include "util/com_ptr.h"
#include "util/unique_handle.h"

namespace {

// How long the walk may take once the window's object is there. The calls of the walk go to the
// browser's process and have no time-out of their own, so a browser whose thread stops answering
// in the middle of a walk would hold the monitor loop for as long as it hangs. The walk therefore
// runs on a thread of its own; one that outlasts this bound is left to end by itself.
constexpr DWORD kWalkTimeoutMs = 3000;

// Set while a walk's thread runs; that thread clears it when it ends. While a walk that was left
// behind still waits for its browser, no other walk starts: a hung browser holds one thread, not
// one more for every time its window comes to the front.
std::atomic<bool> walkRunning{false};

struct WalkJob {
    HWND window = nullptr;
    std::string address;
    lookout::unique_kernel_handle done;  // set once `address` holds the walk's result
};

std::string walkWindow(HWND window) {
    std::string address;
    lookout::com_ptr<IAccessible> root;
    HRESULT result = getWindowAccessible(window, kWindowObjectTimeoutMs, root);
    if (FAILED(result)) {
        if (result == HRESULT_FROM_WIN32(ERROR_TIMEOUT))
            logMessage("WM_GETOBJECT: the window did not answer within %u ms",
                       static_cast<unsigned>(kWindowObjectTimeoutMs));
        logMessage("AccessibleObjectFromWindow: object was not found");
        return address;
    }
    // A combo box's name set by the walk is returned even when the walk found no text element.
    if (walkFirefoxTree(root.get(), false, address) != kWalkStop)
        logMessage("walkFirefoxTree: nothing was found");
    return address;
}

unsigned __stdcall walkThread(void* parameter) {
    std::unique_ptr<std::shared_ptr<WalkJob>> held(static_cast<std::shared_ptr<WalkJob>*>(parameter));
    WalkJob& job = **held;
    // Calls from the multithreaded apartment wait for their answer without a message loop.
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    try {
        job.address = walkWindow(job.window);
    } catch (...) {
        job.address.clear();
    }
    if (SUCCEEDED(initialised)) CoUninitialize();
    walkRunning = false;  // before the event: the caller may start the next walk at once
    SetEvent(job.done.get());
    return 0;
}

}  // namespace

std::string WalkerMSAA::getFirefoxURL(HWND window) {
    traceFunction("WalkerMSAA::getFirefoxURL");
    if (walkRunning.exchange(true)) {
        logMessage("WalkerMSAA: an earlier walk still waits for its browser; no walk now");
        return {};
    }
    auto job = std::make_shared<WalkJob>();
    job->window = window;
    job->done.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto* parameter = new std::shared_ptr<WalkJob>(job);
    lookout::unique_kernel_handle thread;
    if (job->done)
        thread.reset(reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, walkThread, parameter, 0, nullptr)));
    if (!thread) {
        // No thread to bound it with: the walk runs here, unbounded, as it would without one.
        delete parameter;
        walkRunning = false;
        return walkWindow(window);
    }
    const DWORD boundMs = kWindowObjectTimeoutMs + kWalkTimeoutMs;
    if (WaitForSingleObject(job->done.get(), boundMs) != WAIT_OBJECT_0) {
        logMessage("WalkerMSAA: the walk did not end within %u ms; it is left to its browser",
                   static_cast<unsigned>(boundMs));
        return {};
    }
    return job->address;
}
