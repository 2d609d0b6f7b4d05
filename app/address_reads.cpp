#include "app/address_reads.h"

#include <objbase.h>
#include <process.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <utility>

#include "browser/browser_info.h"
#include "diag/debug_log.h"
#include "diag/thread_guard.h"

namespace {

// A first walk makes 25 to 60 calls into the browser (2.5 ms each under Wine, about 11 ms on
// average on real machines); the walk of an older Firefox and the DDE query that may follow it
// share one bound.
constexpr DWORD kTreeReadBoundMs = 1000;
constexpr DWORD kFirefoxReadBoundMs = 2000;
// The text request's own 500 ms and the search for the window that holds the text.
constexpr DWORD kWindowTextBoundMs = 600;
// The request's wait of a second for its answer, and the broadcast of a first query.
constexpr DWORD kDdeReadBoundMs = 1200;

std::optional<SiteRecord> timedOutSite(const PendingReport& report, bool emptyAddress) {
    if (!emptyAddress) return std::nullopt;
    return SiteRecord{std::string(), report.app.title};
}

// A read that did not start: it has ended with the record a failed read gives.
class EndedRead : public AddressRead {
public:
    explicit EndedRead(std::optional<SiteRecord> site) : site_(std::move(site)) {}
    bool finished() override { return true; }
    std::optional<SiteRecord> site() override { return site_; }

private:
    std::optional<SiteRecord> site_;
};

}  // namespace

class ThreadRead : public AddressRead {
public:
    ThreadRead(const PendingReport& report, HWND ddeWindow,
               std::shared_ptr<lookout::unique_kernel_handle> readEnded)
        : window_(report.window),
          app_(report.app),
          ddeWindow_(ddeWindow),
          deadline_(report.deadline),
          timedOutSite_(report.timedOutSite),
          readEnded_(std::move(readEnded)),
          done_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    bool finished() override { return ended_.load(std::memory_order_acquire); }
    std::optional<SiteRecord> site() override { return site_; }

    HWND window() const { return window_; }
    std::uint64_t deadline() const { return deadline_; }
    bool ready() const { return static_cast<bool>(done_); }
    // Read after this earlier read of the same window has ended: two walks of one window do not
    // run at once.
    void after(std::shared_ptr<ThreadRead> earlier) { earlier_ = std::move(earlier); }

    static unsigned __stdcall thread(void* parameter);
    void run();

private:
    static void readGuarded(void* self) { static_cast<ThreadRead*>(self)->read(); }
    void read();
    bool earlierEndedInTime();
    void end();

    HWND window_;
    AppRecord app_;
    HWND ddeWindow_;
    std::uint64_t deadline_;
    std::optional<SiteRecord> timedOutSite_;  // what a read given up gives
    std::shared_ptr<lookout::unique_kernel_handle> readEnded_;
    lookout::unique_kernel_handle done_;
    std::shared_ptr<ThreadRead> earlier_;
    std::optional<SiteRecord> site_;  // written by the read's thread before ended_
    std::atomic<bool> ended_{false};
};

unsigned __stdcall ThreadRead::thread(void* parameter) {
    std::shared_ptr<ThreadRead> self =
        std::move(*std::unique_ptr<std::shared_ptr<ThreadRead>>(
            static_cast<std::shared_ptr<ThreadRead>*>(parameter)));
    // The readers' calls (accessibility, a walk run here when no walk thread can be had) need
    // COM; the multithreaded apartment waits for answers without a message loop.
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    self->run();
    if (SUCCEEDED(initialised)) CoUninitialize();
    return 0;
}

void ThreadRead::run() {
    // A fault here may have left the DDE client's locks held, and the readers' own state: the
    // program ends, as after a fault in the monitor loop. A walk's faults end only the walk, on
    // its own thread.
    runGuarded(readGuarded, this, ThreadFault::EndsProgram);
    end();
}

bool ThreadRead::earlierEndedInTime() {
    if (!earlier_) return true;
    // Given up at its own deadline, the earlier read is left alone, and this one with it.
    const std::uint64_t now = GetTickCount64();
    const DWORD waitMs =
        earlier_->deadline_ > now ? static_cast<DWORD>(earlier_->deadline_ - now) : 0;
    const bool ended = WaitForSingleObject(earlier_->done_.get(), waitMs) == WAIT_OBJECT_0;
    earlier_.reset();
    return ended;
}

void ThreadRead::read() {
    try {
        if (!earlierEndedInTime()) {
            logMessage("Browser processing: an earlier read of the window did not end in time; "
                       "no read now");
            site_ = timedOutSite_;
            return;
        }
        SiteRecord site;
        if (GetBrowserInfo(window_, app_, site, ddeWindow_)) site_ = std::move(site);
    } catch (...) {
        site_.reset();
        logMessage("Browser processing: the read failed with an exception; no address from it");
    }
}

void ThreadRead::end() {
    ended_.store(true, std::memory_order_release);
    SetEvent(done_.get());
    SetEvent(readEnded_->get());
}

AddressReadBound addressReadBound(BrowserType type) {
    switch (type) {
        case kChromium: return {kTreeReadBoundMs, false};
        case kFirefox: return {kFirefoxReadBoundMs, false};
        case kChrome:
        case kYandex:
        case kInternetExplorer: return {kWindowTextBoundMs, true};
        case kNotABrowser: return {kWindowTextBoundMs, false};
        default: return {kDdeReadBoundMs, false};
    }
}

AddressReads::AddressReads()
    : readEnded_(std::make_shared<lookout::unique_kernel_handle>(
          CreateEventA(nullptr, FALSE, FALSE, nullptr))) {}

void AddressReads::start(PendingReport& report, HWND ddeWindow) {
    const AddressReadBound bound =
        addressReadBound(getBrowserType(report.window, report.app.modulePath));
    report.deadline = report.changeTick + bound.ms;
    report.timedOutSite = timedOutSite(report, bound.emptyAddress);

    forgetEndedReads();
    std::shared_ptr<ThreadRead> earlier;
    for (const auto& read : reads_)
        if (read->window() == report.window) earlier = read;  // the latest one
    if (earlier && earlier->deadline() <= report.changeTick) {
        logMessage("Browser processing: an earlier read of the window was given up and has not "
                   "ended; no read now");
        report.read = std::make_shared<EndedRead>(report.timedOutSite);
        return;
    }
    if (reads_.size() >= kMaxAddressReads) {
        logMessage("Browser processing: %u reads still wait for their browsers; no read now",
                   kMaxAddressReads);
        report.read = std::make_shared<EndedRead>(report.timedOutSite);
        return;
    }

    auto read = std::make_shared<ThreadRead>(report, ddeWindow, readEnded_);
    read->after(std::move(earlier));
    report.read = read;
    if (!read->ready() || !*readEnded_) {
        read->run();  // no event to tell its end by: the read runs here
        return;
    }
    auto parameter = std::make_unique<std::shared_ptr<ThreadRead>>(read);
    lookout::unique_kernel_handle thread(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, ThreadRead::thread, parameter.get(), 0, nullptr)));
    if (!thread) {
        // No thread to run it on: the read runs here, holding the poll as long as it takes.
        logMessage("Browser processing: no thread for the read; it runs on the polling thread");
        read->run();
        return;
    }
    parameter.release();  // the thread owns this reference now
    reads_.push_back(std::move(read));
}

void AddressReads::waitForPoll(DWORD ms) {
    forgetEndedReads();
    // Without a read under way the poll sleeps as it always has.
    if (!reads_.empty() && *readEnded_)
        WaitForSingleObject(readEnded_->get(), ms);
    else
        Sleep(ms);
}

void AddressReads::forgetEndedReads() {
    reads_.erase(std::remove_if(reads_.begin(), reads_.end(),
                                [](const std::shared_ptr<ThreadRead>& read) {
                                    return read->finished();
                                }),
                 reads_.end());
}
