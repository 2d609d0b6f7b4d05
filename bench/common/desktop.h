#pragma once
// The windows the benchmarks switch between, built from the test window programs in the shapes
// Lookout's readers look for, and the way the benchmarks bring them to the front.

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "e2e/driver.h"

namespace bench {

// An Internet Explorer-like frame: a links toolbar with an edit of its own that the reader
// passes over, then the address band's toolbar and the edit inside a combo box.
HWND createIeLikeWindow(e2e::TestWindows& windows, const std::string& title,
                        const std::string& url);
// A Chromium-like frame with the omnibox (of `omniboxClass`) two levels down, beside a render
// widget.
HWND createChromiumLikeWindow(e2e::TestWindows& windows, const std::string& title,
                              const std::string& url,
                              const std::string& omniboxClass = "Chrome_OmniboxView");

// Brings an already shown window to the front from this process (Wine has no foreground lock)
// and waits until it is the foreground window. False when it did not come within the deadline.
bool bringToFront(HWND window, DWORD deadlineMs = 5000);

// The number of top-level windows on the desktop, hidden ones included: what a DDE initiate
// broadcast visits.
long topLevelWindowCount();

// A javaw.exe process: a copy of the test window program under that name, with the
// performance-data file where Lookout looks for the process's Java command. The file is removed
// at the end.
class JavaLikeProcess {
public:
    explicit JavaLikeProcess(const std::string& javaCommand);
    ~JavaLikeProcess();
    JavaLikeProcess(const JavaLikeProcess&) = delete;
    JavaLikeProcess& operator=(const JavaLikeProcess&) = delete;

    e2e::TestWindows& windows() { return *windows_; }

private:
    std::unique_ptr<e2e::TestWindows> windows_;
    std::string perfDataPath_;
};

// A DDE server stand-in (dde_server.exe of the tests) in a process of its own. It reports every
// event on its standard output; a thread reads that away, or the full pipe would stop it.
class DdeServerProcess {
public:
    explicit DdeServerProcess(const std::string& switches);
    ~DdeServerProcess();
    DdeServerProcess(const DdeServerProcess&) = delete;
    DdeServerProcess& operator=(const DdeServerProcess&) = delete;

    HWND window() const { return window_; }
    DWORD pid() const { return child_->pid(); }

private:
    std::unique_ptr<e2e::ChildProcess> child_;
    HWND window_ = nullptr;
    std::thread drain_;
};

}  // namespace bench
