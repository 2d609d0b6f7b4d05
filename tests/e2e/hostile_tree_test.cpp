// Accessibility servers that attack the walk instead of stalling it: a forged answer to
// WM_GETOBJECT that makes the system's unmarshaling read past its memory on the walk's thread,
// and trees that answer quickly but never end. Lookout survives each, stops calling within its
// bounds, and still reads a good browser's address afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;
using e2e::siteRecord;

constexpr DWORD kRecordDeadlineMs = 30000;
constexpr DWORD kWalkBoundMs = 3000;
constexpr std::size_t kDumpsPerRun = 3;  // for faults that Lookout survives
constexpr DWORD kFaultDeadlineMs = 60000;  // a dump takes seconds, more on a loaded machine

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(HostileTree, AForgedObjectReplyFaultsOnlyTheWalkAndLeavesAFewDumps) {
    e2e::TestWindows others("testwin_ver.exe");
    HWND between = others.create("LookoutForgedBetween", "Between");
    e2e::TreePlayer forger("firefox_forged.json");
    HWND forged = forger.create("MozillaWindowClass", "Forged reply");
    others.show(between);
    e2e::Lookout lookout({"/debuglog"});
    ASSERT_TRUE(lookout.waitForRecords(1));
    const std::string betweenRecord = appRecord(others.exePath(), "Lookout Test Window", "Between");
    const std::string forgedRecord = appRecord(forger.exePath(), "-", "Forged reply");

    // The walk's thread writes its dump before it ends, and a walk of the window under way
    // refuses another: each visit waits for the fault of the one before.
    const std::string fault = "Accessibility walk ended by a fault; no text from it\r\n";
    std::size_t records = 1;
    for (std::size_t visit = 1; visit <= kDumpsPerRun + 1; ++visit) {
        forger.show(forged);
        ASSERT_TRUE(lookout.waitForRecords(++records, kRecordDeadlineMs)) << "visit " << visit;
        EXPECT_EQ(lookout.records().back(), forgedRecord);
        others.show(between);
        ASSERT_TRUE(lookout.waitForRecords(++records, kRecordDeadlineMs)) << "visit " << visit;
        EXPECT_EQ(lookout.records().back(), betweenRecord);
        ASSERT_TRUE(e2e::waitFor(
            [&] { return occurrences(e2e::readFile(lookout.logPath()), fault) >= visit; },
            kFaultDeadlineMs))
            << "visit " << visit;
    }
    const std::string log = e2e::readFile(lookout.logPath());
    EXPECT_EQ(occurrences(log, "Exception was raised: 0xc0000005\r\n"), kDumpsPerRun + 1);
    const std::vector<std::string> dumps = e2e::dumpsOf(lookout.pid());
    EXPECT_EQ(dumps.size(), kDumpsPerRun);
    EXPECT_EQ(lookout.stopWithCtrlC(), 1u) << "Lookout did not survive";
    for (const std::string& name : dumps) DeleteFileA((e2e::dumpsFolder() + "\\" + name).c_str());
}

TEST(HostileTree, TreesThatNeverEndStopBeingCalledAndLeaveOtherBrowsersWalked) {
    e2e::TreePlayer good("firefox_good.json");
    HWND goodWindow = good.create("MozillaWindowClass", "Good browser");
    good.show(goodWindow);
    e2e::Lookout lookout({"/debuglog"});
    ASSERT_TRUE(lookout.waitForRecords(1, kRecordDeadlineMs));
    const std::string goodSite = siteRecord("http://good.test/", "Good browser", good.exePath());
    EXPECT_EQ(lookout.records().back(), goodSite);

    std::size_t records = 1;
    for (const std::string shape : {"endless", "self"}) {
        e2e::TreePlayer server(shape == "self" ? "endless.json" : "endless_children.json");
        HWND window = server.create("MozillaWindowClass", "Tree " + shape);
        server.show(window);
        ASSERT_TRUE(lookout.waitForRecords(++records, kRecordDeadlineMs)) << shape;
        EXPECT_EQ(lookout.records().back(), appRecord(server.exePath(), "-", "Tree " + shape));
        // The record comes at the read's bound; the walk stops at its own, 3 s after the
        // window's object came. The pause is what is tested: a walk left to call on would show
        // in it.
        Sleep(kWalkBoundMs);
        const long calls = server.calls();
        EXPECT_GT(calls, 0) << shape;
        Sleep(1000);
        EXPECT_EQ(server.calls(), calls) << shape << ": the walk still calls the tree";

        good.show(goodWindow);
        ASSERT_TRUE(lookout.waitForRecords(++records, kRecordDeadlineMs)) << shape;
        EXPECT_EQ(lookout.records().back(), goodSite) << shape;
    }
}

}  // namespace
