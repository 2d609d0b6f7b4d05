// Accessibility servers that attack the walk instead of stalling it: trees that answer quickly
// but never end. Lookout stops calling within its bounds, and still reads a good browser's
// address afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;
using e2e::siteRecord;

constexpr DWORD kRecordDeadlineMs = 30000;

// The number of calls the stand-in's tree has answered so far.
unsigned long callsOn(e2e::TestWindows& server) {
    const std::string answer = server.command("calls");
    return answer.rfind("calls ", 0) == 0 ? std::strtoul(answer.c_str() + 6, nullptr, 10) : 0;
}

TEST(HostileTree, TreesThatNeverEndStopBeingCalledAndLeaveOtherBrowsersWalked) {
    e2e::TestWindows good("msaa_server.exe", {"/address", "http://good.test/"});
    HWND goodWindow = good.create("MozillaWindowClass", "Good browser");
    good.show(goodWindow);
    e2e::Lookout lookout({"/debuglog"});
    ASSERT_TRUE(lookout.waitForRecords(1, kRecordDeadlineMs));
    const std::string goodSite = siteRecord("http://good.test/", "Good browser", good.exePath());
    EXPECT_EQ(lookout.records().back(), goodSite);

    std::size_t records = 1;
    for (const std::string shape : {"endless", "self"}) {
        e2e::TestWindows server("hostile_msaa.exe", {"/tree", shape});
        HWND window = server.create("MozillaWindowClass", "Tree " + shape);
        server.show(window);
        ASSERT_TRUE(lookout.waitForRecords(++records, kRecordDeadlineMs)) << shape;
        EXPECT_EQ(lookout.records().back(), appRecord(server.exePath(), "-", "Tree " + shape));
        // Its walk has stopped by the time the window is reported. The pause is what is tested:
        // a walk left to call on would show in it.
        const unsigned long calls = callsOn(server);
        EXPECT_GT(calls, 0u) << shape;
        Sleep(1000);
        EXPECT_EQ(callsOn(server), calls) << shape << ": the walk still calls the tree";

        good.show(goodWindow);
        ASSERT_TRUE(lookout.waitForRecords(++records, kRecordDeadlineMs)) << shape;
        EXPECT_EQ(lookout.records().back(), goodSite) << shape;
    }
}

}  // namespace
