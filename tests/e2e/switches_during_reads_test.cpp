// Switches made while a browser's address is read: the poll goes on, every switch gives its
// record, and the records come in the order of the switches, the browser's first.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;

constexpr char kDescription[] = "Lookout Test Window";  // of testwin_ver.exe
constexpr DWORD kTreeReadBoundMs = 1000;
constexpr DWORD kSlackMs = 1500;  // what a loaded machine may add before a record arrives

// A browser of a tree file, and two other windows; Lookout starts in front of the second.
class SwitchesDuringReads : public ::testing::Test {
protected:
    void start(const std::string& tree) {
        browser_ = std::make_unique<e2e::TreePlayer>(tree);
        window_ = browser_->window();
        first_ = others_.create("LookoutReadsFirst", "First other");
        second_ = others_.create("LookoutReadsSecond", "Second other");
        others_.show(first_);
        others_.show(second_);
        lookout_ = std::make_unique<e2e::Lookout>(std::vector<std::string>{"/debuglog"});
        ASSERT_TRUE(lookout_->waitForRecords(1));
    }
    // Brings the browser to the front, then the two others 100 and 300 ms after; returns the
    // tick just before the browser was shown.
    ULONGLONG switchDuringTheRead() {
        const ULONGLONG start = GetTickCount64();
        browser_->show(window_);
        sleepUntil(start + 100);
        others_.show(first_);
        sleepUntil(start + 300);
        others_.show(second_);
        return start;
    }
    static void sleepUntil(ULONGLONG tick) {
        const ULONGLONG now = GetTickCount64();
        if (now < tick) Sleep(static_cast<DWORD>(tick - now));
    }
    std::string other(const std::string& title) const {
        return appRecord(others_.exePath(), kDescription, title);
    }

    e2e::TestWindows others_{"testwin_ver.exe"};
    std::unique_ptr<e2e::TreePlayer> browser_;  // stopped after Lookout
    HWND window_ = nullptr;
    HWND first_ = nullptr, second_ = nullptr;
    std::unique_ptr<e2e::Lookout> lookout_;
};

// The first read of the tree takes 600 ms: the browser's site record, then the two switches.
TEST_F(SwitchesDuringReads, ASlowReadIsReportedWithItsAddressAndTheSwitchesAfterIt) {
    start("chromium_slow.json");
    switchDuringTheRead();
    ASSERT_TRUE(lookout_->waitForRecords(4));
    const std::string site = e2e::siteRecord("slow.example/", "Slow page", browser_->exePath());
    EXPECT_EQ(lookout_->output(),
              other("Second other") + site + other("First other") + other("Second other"));
}

// The read never ends: the browser's application record at the read's bound, then the two
// switches, and a new title of the window in front that came during the read after them.
TEST_F(SwitchesDuringReads, AHungReadGivesTheApplicationAtItsBoundAndATitleChangeComesAfter) {
    start("chromium_hung.json");
    const ULONGLONG shown = switchDuringTheRead();
    sleepUntil(shown + 350);  // once the switch has been seen; the title check comes within 1 s
    others_.retitle(second_, "Second other, new title");
    ASSERT_TRUE(lookout_->waitForRecords(2, kTreeReadBoundMs + kSlackMs));
    EXPECT_GE(GetTickCount64() - shown, kTreeReadBoundMs);
    ASSERT_TRUE(lookout_->waitForRecords(5)) << lookout_->output();
    EXPECT_EQ(lookout_->output(), other("Second other") +
                                      appRecord(browser_->exePath(), "-", "Hung page") +
                                      other("First other") + other("Second other") +
                                      other("Second other, new title"));
    // The title check saw the new title while the read was still waited for.
    const std::string text = e2e::readFile(lookout_->logPath());
    const std::size_t titleChange = text.find("Title is changed - send new data\r\n");
    const std::size_t givenUp = text.find("Browser processing: no address within 1000 ms");
    ASSERT_NE(titleChange, std::string::npos) << text;
    EXPECT_LT(titleChange, givenUp) << text;
}

}  // namespace
