#pragma once
// Reads of browser windows' addresses, each on a thread of its own, so that the poll goes on
// while a browser answers slowly or not at all. A read is the whole of GetBrowserInfo on its own
// copies of the records; the report that waits for it gives it up at its bound and the thread is
// left to end by itself.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/pending_reports.h"
#include "browser/classify.h"
#include "util/unique_handle.h"

// Reads that may be under way at once, those given up included: a hung browser holds one for as
// long as its calls take to fail, and past this number a report gives what a failed read gives.
constexpr unsigned kMaxAddressReads = 4;

// How long, from the change, a report waits for the address of a browser of this kind, and
// whether a read that takes longer gives a site record with an empty address (the window-text
// readers, as when their request times out) rather than an application record.
struct AddressReadBound {
    DWORD ms;
    bool emptyAddress;
};
AddressReadBound addressReadBound(BrowserType type);

class ThreadRead;

class AddressReads {
public:
    AddressReads();
    AddressReads(const AddressReads&) = delete;
    AddressReads& operator=(const AddressReads&) = delete;

    // Starts the read of report.window's address with report.app, from report.changeTick, and
    // sets the report's read, deadline and timed-out record. A window whose earlier read was given
    // up and is still under way is not read again: the report gets the failed read's record at
    // once, as it does when kMaxAddressReads reads are under way.
    void start(PendingReport& report, HWND ddeWindow);
    // Waits `ms` milliseconds, or less when a read ends meanwhile, so that its record is written
    // without waiting for the next poll.
    void waitForPoll(DWORD ms);

private:
    void forgetEndedReads();

    std::vector<std::shared_ptr<ThreadRead>> reads_;  // not ended when last looked at
    std::shared_ptr<lookout::unique_kernel_handle> readEnded_;
};
