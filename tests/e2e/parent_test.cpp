// What a parent application gets from the switches made for it: the time of each change
// ("/time") and the stop by closing standard input ("/stdin").
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

constexpr char kDescription[] = "Lookout Test Window";  // of testwin_ver.exe

// The record with its time item taken out; `time` gets that item.
std::string withoutTime(const std::string& record, std::string& time) {
    std::vector<std::string> items = e2e::recordItems(record);
    if (items.size() != 6) return "not a record with a time: " + record;
    time = items[4];
    return items[0] + "$" + items[1] + "$" + items[2] + "$" + items[3] + "$\n$";
}

TEST(ForParents, EachRecordCarriesThePollsTimeWithTimeAndTheStreamIsUnchangedWithout) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND a = windows.create("LookoutTimeA", "Time A");
    HWND b = windows.create("LookoutTimeB", "Time B");
    windows.show(a);
    // Per record: the test's clock just before its change was made, and when it had arrived.
    std::vector<std::string> before = {e2e::utcNowText()}, arrived;
    e2e::Lookout timed({"/time"}), plain;
    const std::function<void()> changes[] = {
        [&] { windows.show(b); },
        [&] { windows.retitle(b, "Time B, renamed"); },  // seen at a title check, up to 1 s on
        [&] { windows.show(a); }};
    for (std::size_t count = 1; count <= 4; ++count) {
        ASSERT_TRUE(timed.waitForRecords(count));
        arrived.push_back(e2e::utcNowText());
        ASSERT_TRUE(plain.waitForRecords(count));
        if (count == 4) break;
        before.push_back(e2e::utcNowText());
        changes[count - 1]();
    }
    const std::string expected = e2e::appRecord(windows.exePath(), kDescription, "Time A") +
                                 e2e::appRecord(windows.exePath(), kDescription, "Time B") +
                                 e2e::appRecord(windows.exePath(), kDescription, "Time B, renamed") +
                                 e2e::appRecord(windows.exePath(), kDescription, "Time A");
    EXPECT_EQ(plain.output(), expected);
    std::string untimed;
    for (std::size_t i = 0; i < 4; ++i) {
        std::string time;
        untimed += withoutTime(timed.records().at(i), time);
        // Seen after the change was made and before its record arrived (all cut to the ms).
        EXPECT_TRUE(before[i] <= time && time <= arrived[i]) << before[i] << " " << time;
    }
    EXPECT_EQ(untimed, expected);
    EXPECT_EQ(timed.output().size(), expected.size() + 4 * 25);
}

TEST(ForParents, ClosingStandardInputStopsLookoutAtOnceWithCodeOneAfterItsRecords) {
    e2e::TestWindows windows("testwin_ver.exe");
    windows.show(windows.create("LookoutStdinA", "Stdin A"));
    e2e::Lookout lookout({"/stdin", "/debuglog"}, {}, true);
    ASSERT_TRUE(lookout.waitForRecords(1));
    const ULONGLONG closed = GetTickCount64();
    lookout.closeStdin();
    EXPECT_EQ(lookout.waitForExit(e2e::kDefaultDeadlineMs), 1u);
    EXPECT_LT(GetTickCount64() - closed, 100u);
    EXPECT_TRUE(lookout.waitForOutputClosed());
    EXPECT_EQ(lookout.output(), e2e::appRecord(windows.exePath(), kDescription, "Stdin A"));
    EXPECT_TRUE(std::regex_search(e2e::readFile(lookout.logPath()),
                                  std::regex(R"(\d\d:\d\d:\d\d: Lookout Terminated\r\n$)")));
}

// The first record is the window in front: no console window came up in front of it.
TEST(ForParents, AGuiParentFollowingTheGuideStopsLookoutCleanlyWithoutAConsole) {
    e2e::TestWindows windows("testwin_ver.exe");
    windows.show(windows.create("LookoutGuiParent", "Gui parent"));
    e2e::ChildProcess parent("\"" + e2e::binPath("gui_parent.exe") + "\" \"" +
                                 e2e::binPath("Lookout.exe") + "\" 1",
                             false);
    std::string output, time;
    char buffer[4096];
    for (DWORD got = 0; ReadFile(parent.stdoutRead(), buffer, sizeof buffer, &got, nullptr) && got;)
        output.append(buffer, got);
    EXPECT_EQ(parent.waitForExit(e2e::kDefaultDeadlineMs), 0u);
    const std::vector<std::string> records = e2e::splitRecords(output, 6);
    ASSERT_EQ(records.size(), 1u) << output;
    EXPECT_EQ(withoutTime(records[0], time),
              e2e::appRecord(windows.exePath(), kDescription, "Gui parent"));
    EXPECT_EQ(output, records[0] + "exit 1\n");
}

}  // namespace
