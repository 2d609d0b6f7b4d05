// Firefox windows of another process (the tree player) that serve an accessibility tree: the
// real Lookout.exe reports the address from the tree, falls back to an application record
// without one, and is held only briefly by a browser that does not serve its object.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;
using e2e::siteRecord;

constexpr DWORD kObjectBoundMs = 1000;
// Generous: once the DDE fallback is in place it adds its own waits for a window without address.
constexpr DWORD kRecordDeadlineMs = 20000;

bool logHas(const std::string& log, const std::string& line) {
    return log.find(line + "\r\n") != std::string::npos;
}

// Milliseconds from the trace line of `function` to the next trace line, or -1. The walker calls
// no traced function itself, so this is how long it held the monitor loop.
long long heldFor(const std::string& log, const std::string& function) {
    std::regex traceLine(R"(\((\d+), thread = \d+\) >>>> Function: ([^\r\n]+)\r\n)");
    long long start = -1;
    for (std::sregex_iterator it(log.begin(), log.end(), traceLine), end; it != end; ++it) {
        long long tick = std::stoll((*it)[1].str());
        if (start >= 0) return tick - start;
        if ((*it)[2].str() == function) start = tick;
    }
    return -1;
}

TEST(Firefox, BothWindowClassesAreReportedWithTheAddressOfTheTextElement) {
    // The combo box and the text element are named with the address
    // "http://lookout.example/page?a=1$2"; the text element's value is what the user typed, and
    // that is the address reported. "$" is escaped; with "/utf8" the address is UTF-8, while the
    // log keeps the code page.
    e2e::TreePlayer browser("firefox_old.json");
    HWND mainWindow = browser.window();
    HWND uiWindow = browser.create("MozillaUIWindowClass", "Library");
    browser.show(mainWindow);
    e2e::Lookout lookout({"/debuglog", "/utf8"});
    ASSERT_TRUE(lookout.waitForRecords(1, kRecordDeadlineMs));
    browser.show(uiWindow);
    ASSERT_TRUE(lookout.waitForRecords(2, kRecordDeadlineMs));

    const std::string reported = u8"http://lookout.example/caf\u00e9\u4e2d?q=Sx";
    EXPECT_EQ(lookout.output(),
              siteRecord(reported, "Example S Page - Mozilla Firefox", browser.exePath()) +
                  siteRecord(reported, "Library", browser.exePath()));

    std::string log = e2e::readFile(lookout.logPath());
    EXPECT_TRUE(logHas(log, "Go to a Website window is found")) << log;
    EXPECT_TRUE(logHas(log, "Required Role Editbox is found: URL is to be sent now."));
    EXPECT_TRUE(logHas(log, "MSAA processing: Url info to send: "
                            "http://lookout.example/caf\xe9??q=$x"));
    EXPECT_FALSE(logHas(log, "walkFirefoxTree: nothing was found"));
    EXPECT_NE(log.find(">>>> Function: WalkerMSAA::getFirefoxURL\r\n"), std::string::npos);
}

TEST(Firefox, WithoutAnAddressComboBoxTheWindowIsReportedAsAnApplication) {
    e2e::TreePlayer browser("firefox_old_no_address.json");
    HWND window = browser.window();
    browser.show(window);
    e2e::Lookout lookout({"/debuglog"});
    ASSERT_TRUE(lookout.waitForRecords(1, kRecordDeadlineMs));

    EXPECT_EQ(lookout.output(), appRecord(browser.exePath(), "-", "No address bar"));
    std::string log = e2e::readFile(lookout.logPath());
    EXPECT_TRUE(logHas(log, "walkFirefoxTree: nothing was found")) << log;
    EXPECT_TRUE(logHas(log, "MSAA processing: Url info to send: "));
    EXPECT_TRUE(logHas(log, "Browser processing FAILED"));
    EXPECT_FALSE(logHas(log, "Go to a Website window is found"));
}

TEST(Firefox, ABrowserThatDoesNotServeItsObjectHoldsLookoutOnlyForTheBound) {
    // The window thread waits inside WM_GETOBJECT until the process is told to quit.
    e2e::TreePlayer browser("firefox_stalled.json");
    HWND window = browser.window();
    browser.show(window);
    e2e::Lookout lookout({"/debuglog"});
    ASSERT_TRUE(lookout.waitForRecords(1, kRecordDeadlineMs));

    EXPECT_EQ(lookout.output(), appRecord(browser.exePath(), "-", "Stalled browser"));
    std::string log = e2e::readFile(lookout.logPath());
    EXPECT_TRUE(logHas(log, "WM_GETOBJECT: the window did not answer within 1000 ms")) << log;
    EXPECT_TRUE(logHas(log, "AccessibleObjectFromWindow: object was not found"));
    long long held = heldFor(log, "WalkerMSAA::getFirefoxURL");
    EXPECT_GE(held, static_cast<long long>(kObjectBoundMs) - 100) << log;
    EXPECT_LT(held, static_cast<long long>(kObjectBoundMs) + 1500) << log;
    // The record came at the read's bound; the read goes on to its DDE broadcast, which waits
    // for the stalled windows. Lookout is stopped once it is over, so that none of its atoms
    // stays in the table that later tests look at.
    EXPECT_TRUE(e2e::waitFor([&] {
        return logHas(e2e::readFile(lookout.logPath()),
                      "Error: GetBrowserInfo cannot obtain browser information");
    }));
}

}  // namespace
