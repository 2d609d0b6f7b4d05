// What a parent application gets from the switches made for it: the time of each change
// ("/time") and the stop by closing standard input ("/stdin").
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

constexpr char kDescription[] = "Lookout Test Window";  // of testwin_ver.exe
constexpr std::uint64_t kMillisecond = 10000;          // in 100 ns units

// The record with its time item taken out, and that time.
std::pair<std::string, std::uint64_t> withoutTime(const std::string& record) {
    std::vector<std::string> items = e2e::recordItems(record);
    if (items.size() != 6) return {"not a record with a time: " + record, 0};
    const std::uint64_t time = e2e::parseRecordTime(items[4]);
    items.erase(items.begin() + 4);
    std::string rest;
    for (const std::string& item : items) rest += item + "$";
    return {rest, time};
}

TEST(ForParents, EachRecordCarriesThePollsTimeWithTimeAndTheStreamIsUnchangedWithout) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND a = windows.create("LookoutTimeA", "Time A");
    HWND b = windows.create("LookoutTimeB", "Time B");
    windows.show(a);
    // Per record: the test's clock just before the change was made, and when the record came.
    std::vector<std::uint64_t> before = {e2e::systemTimeNow()}, arrived;
    e2e::Lookout timed({"/time"}), plain;
    auto waitBoth = [&](std::size_t count) {
        ASSERT_TRUE(timed.waitForRecords(count));
        arrived.push_back(e2e::systemTimeNow());
        ASSERT_TRUE(plain.waitForRecords(count));
    };
    waitBoth(1);
    before.push_back(e2e::systemTimeNow());
    windows.show(b);
    waitBoth(2);
    before.push_back(e2e::systemTimeNow());
    windows.retitle(b, "Time B, renamed");  // seen at the title check, up to a second later
    waitBoth(3);
    before.push_back(e2e::systemTimeNow());
    windows.show(a);
    waitBoth(4);

    const std::string expected = e2e::appRecord(windows.exePath(), kDescription, "Time A") +
                                 e2e::appRecord(windows.exePath(), kDescription, "Time B") +
                                 e2e::appRecord(windows.exePath(), kDescription, "Time B, renamed") +
                                 e2e::appRecord(windows.exePath(), kDescription, "Time A");
    EXPECT_EQ(plain.output(), expected);
    std::string untimed;
    const std::vector<std::string> records = timed.records();
    ASSERT_EQ(records.size(), 4u) << timed.output();
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto [record, time] = withoutTime(records[i]);
        untimed += record;
        // The field is cut to the millisecond; the change was seen after it was made and before
        // its record arrived.
        EXPECT_GE(time + kMillisecond, before[i]) << i << ": " << records[i];
        EXPECT_LE(time, arrived[i]) << i << ": " << records[i];
    }
    EXPECT_EQ(untimed, expected);
    EXPECT_EQ(timed.output().size(), expected.size() + 4 * 25);
}

TEST(ForParents, ClosingStandardInputStopsLookoutAtOnceWithCodeOneAfterItsRecords) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND a = windows.create("LookoutStdinA", "Stdin A");
    windows.show(a);
    e2e::Lookout lookout({"/stdin", "/debuglog"}, {}, true);
    ASSERT_TRUE(lookout.waitForRecords(1));
    lookout.writeStdin("some bytes the parent writes are ignored\n");
    const ULONGLONG closed = GetTickCount64();
    lookout.closeStdin();
    EXPECT_EQ(lookout.waitForExit(e2e::kDefaultDeadlineMs), 1u);
    EXPECT_LT(GetTickCount64() - closed, 100u);
    EXPECT_TRUE(lookout.waitForOutputClosed());
    EXPECT_EQ(lookout.output(), e2e::appRecord(windows.exePath(), kDescription, "Stdin A"));
    EXPECT_TRUE(std::regex_search(e2e::readFile(lookout.logPath()),
                                  std::regex(R"(\d\d:\d\d:\d\d: Lookout Terminated\r\n$)")));
}

TEST(ForParents, AGuiParentFollowingTheGuideStopsLookoutCleanlyWithoutAConsole) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND a = windows.create("LookoutGuiParent", "Gui parent");
    windows.show(a);
    e2e::ChildProcess parent("\"" + e2e::binPath("gui_parent.exe") + "\" \"" +
                                 e2e::binPath("Lookout.exe") + "\" 1",
                             false);
    std::string output;
    char buffer[4096];
    for (DWORD read = 0; ReadFile(parent.stdoutRead(), buffer, sizeof buffer, &read, nullptr) && read > 0;)
        output.append(buffer, read);
    EXPECT_EQ(parent.waitForExit(e2e::kDefaultDeadlineMs), 0u);
    // The first record is the window in front: no console window came up in front of it.
    const std::size_t end = output.rfind("$\n$") + 3;
    ASSERT_NE(end, std::string::npos + 3) << output;
    auto [record, time] = withoutTime(output.substr(0, end));
    EXPECT_EQ(record, e2e::appRecord(windows.exePath(), kDescription, "Gui parent"));
    EXPECT_NE(time, 0u) << output;
    EXPECT_EQ(output.substr(end), "exit 1\n");
}

}  // namespace
