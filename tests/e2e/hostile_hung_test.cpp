// Applications whose threads stop answering while Lookout looks at them: a plain window, the
// omnibox of a Chromium-like window, the address edit of an Internet Explorer-like window, an
// accessibility server in the middle of a walk, and a DDE server. Lookout gives each up within
// its bound, reports what it has, and reports the next switch while the application still hangs.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;
using e2e::siteRecord;

constexpr char kDescription[] = "Lookout Test Window";  // of testwin_ver.exe
constexpr DWORD kHangMs = 4000;
constexpr DWORD kFirefoxReadBoundMs = 2000;  // the walk and the DDE query that follows it
constexpr DWORD kDdeAnswerBoundMs = 1000;
// What a loaded machine may add to a bound before the record reaches the test.
constexpr DWORD kSlackMs = 1500;

// Two windows of a well-behaved process, and Lookout started in front of the first.
class HungFixture : public ::testing::Test {
protected:
    void startLookout(const std::vector<std::string>& args = {}) {
        before_ = others_.create("LookoutHungBefore", "Before");
        after_ = others_.create("LookoutHungAfter", "After");
        others_.show(before_);
        lookout_ = std::make_unique<e2e::Lookout>(args);
        ASSERT_TRUE(lookout_->waitForRecords(1));
        records_ = 1;
    }
    // Milliseconds from `start` until the next record has come; -1 when none came in time.
    long long nextRecordAfter(ULONGLONG start, DWORD deadlineMs) {
        if (!lookout_->waitForRecords(++records_, deadlineMs)) return -1;
        return static_cast<long long>(GetTickCount64() - start);
    }
    std::string record(std::size_t index) const { return lookout_->records().at(index); }
    std::string beforeRecord() const { return appRecord(others_.exePath(), kDescription, "Before"); }
    std::string afterRecord() const { return appRecord(others_.exePath(), kDescription, "After"); }

    // Brings the window to the front with its thread hanging from then on, expects `expected`
    // within `boundMs` (and the slack), then switches away and expects that switch reported
    // while the window still hangs.
    void expectReportedWhileHung(e2e::TestWindows& owner, HWND hung, const std::string& expected,
                                 DWORD boundMs) {
        const ULONGLONG start = GetTickCount64();
        owner.showThenHang(hung, kHangMs);
        const long long reported = nextRecordAfter(start, kHangMs);
        ASSERT_GE(reported, 0) << "no record for the hung window within the hang";
        EXPECT_LT(reported, boundMs + kSlackMs);
        EXPECT_EQ(record(1), expected);
        others_.show(after_);
        const long long next = nextRecordAfter(start, kHangMs);
        ASSERT_GE(next, 0) << "the next switch was not reported while the window hung";
        EXPECT_EQ(record(2), afterRecord());
    }

    e2e::TestWindows others_{"testwin_ver.exe"};
    HWND before_ = nullptr;
    HWND after_ = nullptr;
    std::unique_ptr<e2e::Lookout> lookout_;
    std::size_t records_ = 0;
};

// Identification reads the title without asking the window: nothing waits for it.
TEST_F(HungFixture, APlainWindowIsReportedAtOnce) {
    e2e::TestWindows hung("testwin_plain.exe");
    HWND window = hung.create("LookoutHungPlain", "Hung plain");
    startLookout();
    expectReportedWhileHung(hung, window, appRecord(hung.exePath(), "-", "Hung plain"), 500);
}

TEST_F(HungFixture, AnOmniboxThatDoesNotAnswerGivesAnEmptyAddress) {
    e2e::TestWindows hung("testwin_plain.exe");
    HWND window = hung.create("Chrome_WidgetWin_1", "Hung Chromium");
    hung.createChild(window, "Chrome_OmniboxView", "http://hung.test/");
    startLookout();
    expectReportedWhileHung(hung, window, siteRecord("", "Hung Chromium", hung.exePath()), 1000);
}

TEST_F(HungFixture, AnAddressEditThatDoesNotAnswerGivesAnEmptyAddress) {
    e2e::TestWindows hung("testwin_plain.exe");
    HWND window = hung.create("IEFrame", "Hung Explorer");
    hung.createChild(window, "ToolbarWindow32", "Address Combo Control");
    hung.createChild(window, "Edit", "http://hung.test/");
    startLookout();
    expectReportedWhileHung(hung, window, siteRecord("", "Hung Explorer", hung.exePath()), 1000);
}

// The window hands out its accessible object, and its thread then stops inside a call of the
// walk for good: the walk is given up, and without a DDE server the window is an application.
TEST_F(HungFixture, AnAccessibilityServerThatStopsInTheMiddleOfAWalk) {
    e2e::TreePlayer browser("firefox_stalled_walk.json");
    HWND window = browser.create("MozillaWindowClass", "Stalled walk");
    startLookout({"/debuglog"});
    const std::string stalled = appRecord(browser.exePath(), "-", "Stalled walk");
    ULONGLONG start = GetTickCount64();
    browser.show(window);
    // The read's bound: the walk waits longer, then a DDE broadcast waits for each of the
    // stalled thread's two top-level windows (its own and the input method's).
    const long long reported = nextRecordAfter(start, 20000);
    ASSERT_GE(reported, 0) << "the walk held Lookout";
    EXPECT_LT(reported, kFirefoxReadBoundMs + kSlackMs);
    EXPECT_EQ(record(1), stalled);
    start = GetTickCount64();
    others_.show(after_);
    EXPECT_GE(nextRecordAfter(start, 5000), 0);
    EXPECT_EQ(record(2), afterRecord());

    // Back to the stalled browser while the first read still waits for it: no second read,
    // and no wait for one. Its thread does not take commands any more; the window is visible,
    // so the test brings it to the front itself.
    start = GetTickCount64();
    SetForegroundWindow(window);
    ASSERT_TRUE(e2e::waitFor([&] { return GetForegroundWindow() == window; }));
    const long long again = nextRecordAfter(start, 20000);
    ASSERT_GE(again, 0);
    EXPECT_LT(again, kSlackMs);
    EXPECT_EQ(record(3), stalled);
    EXPECT_NE(e2e::readFile(lookout_->logPath())
                  .find("Browser processing: an earlier read of the window was given up and has "
                        "not ended; no read now\r\n"),
              std::string::npos);
    std::printf("[ hung     ] stalled walk reported after %lld ms, the next visit after %lld ms\n",
                reported, again);

    // Another browser's tree is still walked while the stalled walk waits.
    e2e::TreePlayer good("firefox_good.json");
    HWND goodWindow = good.create("MozillaWindowClass", "Good browser");
    good.show(goodWindow);
    ASSERT_GE(nextRecordAfter(GetTickCount64(), 20000), 0);
    EXPECT_EQ(record(4), siteRecord("http://good.test/", "Good browser", good.exePath()));
    // Lookout is stopped once the stalled read has ended its DDE broadcast, so that none of its
    // atoms stays in the table that later tests look at.
    EXPECT_TRUE(e2e::waitFor([&] {
        return e2e::readFile(lookout_->logPath())
                   .find("Error: GetBrowserInfo cannot obtain browser information\r\n") !=
               std::string::npos;
    }, 20000));
}

// All threads of a process stopped, the way a hung application's are, and started again when
// this goes out of scope.
class SuspendedProcess {
public:
    explicit SuspendedProcess(DWORD pid) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snapshot == INVALID_HANDLE_VALUE) throw std::runtime_error("no thread snapshot");
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != pid) continue;
            HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
            if (thread && SuspendThread(thread) != static_cast<DWORD>(-1))
                threads_.push_back(thread);
            else if (thread)
                CloseHandle(thread);
        }
        CloseHandle(snapshot);
        if (threads_.empty()) throw std::runtime_error("no thread suspended");
    }
    ~SuspendedProcess() {
        for (HANDLE thread : threads_) {
            ResumeThread(thread);
            CloseHandle(thread);
        }
    }
    SuspendedProcess(const SuspendedProcess&) = delete;
    SuspendedProcess& operator=(const SuspendedProcess&) = delete;

private:
    std::vector<HANDLE> threads_;
};

// tests/programs/dde_server.exe serving FireFox, and the events it reports.
class DdeServerProcess {
public:
    explicit DdeServerProcess(const std::string& switches)
        : child_("\"" + e2e::binPath("dde_server.exe") + "\" " + switches, true) {
        const std::string ready = readLine();
        if (std::sscanf(ready.c_str(), "ready %lu", &pid_) != 1)
            throw std::runtime_error("dde server: " + ready);
    }
    ~DdeServerProcess() {
        DWORD written = 0;
        WriteFile(child_.stdinWrite(), "quit\n", 5, &written, nullptr);
        child_.waitForExit(e2e::kDefaultDeadlineMs);
    }
    DWORD pid() const { return pid_; }

    // Returns once every message sent or posted to the server before the call has been handled.
    void ping() {
        DWORD written = 0;
        WriteFile(child_.stdinWrite(), "ping\n", 5, &written, nullptr);
        while (readLine() != "pong") {
        }
    }
    // Waits until the server has reported `event` `times` times in all.
    void waitForEvent(const std::string& event, int times) {
        while (seen_[event] < times) readLine();
    }

private:
    std::string readLine() {
        std::string line;
        const bool complete = e2e::waitFor([&] {
            DWORD available = 0;
            if (!PeekNamedPipe(child_.stdoutRead(), nullptr, 0, nullptr, &available, nullptr))
                return true;
            for (; available > 0; --available) {
                char c = 0;
                DWORD read = 0;
                ReadFile(child_.stdoutRead(), &c, 1, &read, nullptr);
                if (c == '\n') return true;
                if (c != '\r') line += c;
            }
            return false;
        });
        if (!complete) throw std::runtime_error("dde server did not report");
        ++seen_[line];
        return line;
    }

    e2e::ChildProcess child_;
    unsigned long pid_ = 0;
    std::map<std::string, int> seen_;
};

// A DDE server that hangs before its first query makes the broadcast wait for each of its
// windows; one that hangs after it was matched makes the request wait for its answer. Both
// waits are bounded, the window is reported as an application, and the next switch follows.
TEST_F(HungFixture, ADdeServerThatStopsAnsweringCostsItsBoundsOnly) {
    HWND firefox = others_.create("MozillaWindowClass", "Asked over DDE");
    DdeServerProcess server("--url http://dde.test/ --title \"DDE title\"");
    startLookout({"/debuglog"});
    const std::string unanswered = appRecord(others_.exePath(), kDescription, "Asked over DDE");
    const std::string answered = siteRecord("http://dde.test/", "DDE title", others_.exePath());

    // Hung before the first query: no acknowledgement, no match.
    {
        SuspendedProcess hung(server.pid());
        const ULONGLONG start = GetTickCount64();
        others_.show(firefox);
        const long long reported = nextRecordAfter(start, 15000);
        ASSERT_GE(reported, 0);
        EXPECT_EQ(record(1), unanswered);
        std::printf("[ hung     ] broadcast with a hung DDE server: %lld ms\n", reported);
        others_.show(after_);
        ASSERT_GE(nextRecordAfter(start, 15000), 0);
        EXPECT_EQ(record(2), afterRecord());
    }
    server.ping();  // the initiate that came while it hung is behind it now

    // Answering again: matched and answered.
    others_.show(firefox);
    ASSERT_GE(nextRecordAfter(GetTickCount64(), 15000), 0);
    EXPECT_EQ(record(3), answered);
    others_.show(after_);
    ASSERT_GE(nextRecordAfter(GetTickCount64(), 15000), 0);

    // Hung once matched: the request runs into its time-out.
    {
        SuspendedProcess hung(server.pid());
        const ULONGLONG start = GetTickCount64();
        others_.show(firefox);
        const long long reported = nextRecordAfter(start, 15000);
        ASSERT_GE(reported, 0);
        EXPECT_EQ(record(5), unanswered);
        EXPECT_LT(reported, kDdeAnswerBoundMs + kSlackMs);
        others_.show(after_);
        ASSERT_GE(nextRecordAfter(start, 15000), 0);
        EXPECT_EQ(record(6), afterRecord());
    }
    // The late answer is acknowledged, which gives its item atom back: the global atom table,
    // which later tests look at, keeps nothing of this conversation.
    server.waitForEvent("ack 8000", 2);
}

}  // namespace
