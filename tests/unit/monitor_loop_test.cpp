#include <gtest/gtest.h>

#include <string>

#include "app/monitor_loop.h"
#include "unit/memory_sink.h"
#include "unit/test_files.h"

namespace {

TEST(TitleCheck, IsDueOnlyAfterMoreThanASecond) {
    EXPECT_FALSE(titleCheckDue(5000, 5000));
    EXPECT_FALSE(titleCheckDue(5000, 6000));
    EXPECT_TRUE(titleCheckDue(5000, 6001));
}

TEST(TitleCheck, KeepsItsRhythmAcrossTheTickWrap) {
    const std::uint32_t nearWrap = 0xFFFFFF00u;  // 256 ms before the wrap
    EXPECT_FALSE(titleCheckDue(nearWrap, 0xFFFFFF10u)) << "16 ms later, before the wrap";
    EXPECT_FALSE(titleCheckDue(nearWrap, 744u)) << "1000 ms later, after the wrap";
    EXPECT_TRUE(titleCheckDue(nearWrap, 745u)) << "1001 ms later, after the wrap";
    EXPECT_FALSE(titleCheckDue(0xFFFFFFFFu, 999u)) << "exactly 1000 ms across the wrap";
    EXPECT_TRUE(titleCheckDue(0xFFFFFFFFu, 1000u));
}

class MonitorSteps : public ::testing::Test {
protected:
    std::string ownPath() const {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        char longPath[8192] = {};
        GetLongPathNameA(path, longPath, sizeof longPath);
        return longPath;
    }
    std::string record(const std::string& title) const {
        return e2e::appRecord(ownPath(), "-", title);
    }
    unit::MemorySink out;
    MonitorState state;
};

TEST_F(MonitorSteps, ASwitchABAReportsThreeRecords) {
    unit::OwnWindow a("LookoutUnitLoop", "Window A");
    unit::OwnWindow b("LookoutUnitLoop", "Window B");
    pollForegroundWindow(state, a.get(), 100, out);
    pollForegroundWindow(state, a.get(), 110, out);
    pollForegroundWindow(state, b.get(), 120, out);
    pollForegroundWindow(state, a.get(), 130, out);
    EXPECT_EQ(out.content(), record("Window A") + record("Window B") + record("Window A"));
}

TEST_F(MonitorSteps, ATitleChangeIsReportedAtTheNextCheckOnly) {
    unit::OwnWindow a("LookoutUnitLoop", "before");
    state.lastTitleCheck = 0;
    pollForegroundWindow(state, a.get(), 500, out);
    SetWindowTextA(a.get(), "after $1");
    pollForegroundWindow(state, a.get(), 1000, out);  // not due yet
    EXPECT_EQ(out.content(), record("before"));
    pollForegroundWindow(state, a.get(), 1001, out);
    EXPECT_EQ(out.content(), record("before") + record("after S1"));
    EXPECT_EQ(state.lastTitleCheck, 1001u);
    pollForegroundWindow(state, a.get(), 2500, out);  // due, but unchanged
    EXPECT_EQ(out.content(), record("before") + record("after S1"));
}

TEST_F(MonitorSteps, ANullForegroundReportsNothingButCountsAsAChange) {
    unit::OwnWindow a("LookoutUnitLoop", "Window A");
    state.lastTitleCheck = 0;
    pollForegroundWindow(state, nullptr, 5000, out);
    EXPECT_EQ(out.content(), "") << "null at start is the last window already";
    pollForegroundWindow(state, a.get(), 5010, out);
    pollForegroundWindow(state, nullptr, 5020, out);
    pollForegroundWindow(state, nullptr, 9000, out);  // title check on null: nothing
    pollForegroundWindow(state, a.get(), 9010, out);
    EXPECT_EQ(out.content(), record("Window A") + record("Window A"));
}

TEST_F(MonitorSteps, AWindowThatCannotBeIdentifiedIsNeverReported) {
    unit::OwnWindow a("LookoutUnitLoop", "Window A");
    unit::OwnWindow gone("LookoutUnitLoop", "Gone");
    HWND goneHandle = gone.get();
    gone.destroy();
    state.lastTitleCheck = 0;
    pollForegroundWindow(state, a.get(), 100, out);
    pollForegroundWindow(state, goneHandle, 110, out);
    EXPECT_EQ(state.processId, 0u) << "the previous window's process must not stand in";
    // Its title (empty) differs from A's, yet no record joins A's path with it.
    pollForegroundWindow(state, goneHandle, 5000, out);
    EXPECT_EQ(out.content(), record("Window A"));
}

// A process that refuses even the limited query right, then grants it: its window is identified
// again at each due title check, and reported at the first that succeeds.
TEST_F(MonitorSteps, AWindowThatCouldNotBeIdentifiedIsReportedOnceItCanBe) {
    e2e::TestWindows guarded("testwin_ver.exe");
    HWND window = guarded.create("LookoutUnitGuarded", "Guarded");
    ASSERT_EQ(guarded.command("deny 1410"), "ok");
    state.lastTitleCheck = 0;
    pollForegroundWindow(state, window, 100, out);
    pollForegroundWindow(state, window, 1001, out);
    EXPECT_EQ(out.content(), "");
    ASSERT_EQ(guarded.command("deny 0"), "ok");
    pollForegroundWindow(state, window, 1500, out);  // no title check due
    EXPECT_EQ(out.content(), "");
    const std::string reported =
        e2e::appRecord(guarded.exePath(), "Lookout Test Window", "Guarded");
    pollForegroundWindow(state, window, 2002, out);
    EXPECT_EQ(out.content(), reported);
    pollForegroundWindow(state, window, 3003, out);  // identified: only its title is compared
    EXPECT_EQ(out.content(), reported);
}

TEST_F(MonitorSteps, TheDesktopIsReportedWithFixedWords) {
    unit::OwnWindow desktop("Progman", "Program Manager");
    pollForegroundWindow(state, desktop.get(), 100, out);
    EXPECT_EQ(out.content(), e2e::appRecord("Desktop", "Desktop", "Program Manager"));
}

}  // namespace
