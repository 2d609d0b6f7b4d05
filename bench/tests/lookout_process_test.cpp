// The measuring side against the real Lookout.exe: switches, their records and times, and the
// figures read from outside. Moves the foreground, so these tests run alone.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/clock.h"
#include "common/lookout_process.h"
#include "common/process_probe.h"
#include "common/switching.h"

namespace {

TEST(LookoutProcess, EachSwitchGetsItsOwnRecordAndATimeWithinTheWait) {
    e2e::TestWindows windows("testwin_plain.exe");
    HWND a = windows.create("BenchProbeA", "Window A");
    HWND b = windows.create("BenchProbeB", "Window B");
    windows.show(b);
    windows.show(a);
    bench::RecordCheck check;
    check.expect(a, "app", windows.exePath(), "Window A");
    check.expect(b, "app", windows.exePath(), "Window B");

    bench::LookoutProcess lookout;
    ASSERT_TRUE(lookout.waitForRecords(1, 10000));
    EXPECT_TRUE(check.check(a, lookout.record(0).text));
    for (HWND window : {b, a, b}) {
        double before = bench::nowMs();
        bench::SwitchResult result = bench::switchTo(lookout, window, 5000);
        double after = bench::nowMs();
        ASSERT_TRUE(result.arrived);
        EXPECT_TRUE(check.check(window, result.record)) << check.firstFault();
        EXPECT_GT(result.latencyMs, 0);
        EXPECT_LE(result.latencyMs, after - before);
    }
    EXPECT_EQ(lookout.recordCount(), 4u);
    EXPECT_EQ(lookout.stop(), 1u) << "Ctrl+C";
    EXPECT_EQ(lookout.pending(), "");
}

TEST(LookoutProcess, ItsFiguresCanBeReadFromOutside) {
    e2e::TestWindows windows("testwin_plain.exe");
    windows.show(windows.create("BenchProbe", "Figures"));
    bench::LookoutProcess lookout;
    ASSERT_TRUE(lookout.waitForRecords(1, 10000));

    long unixPid = bench::unixPidOf(lookout.token());
    ASSERT_GT(unixPid, 0);
    double cpu = bench::unixCpuMs(unixPid);
    EXPECT_GT(cpu, 0);
    EXPECT_TRUE(e2e::waitFor([&] { return bench::unixCpuMs(unixPid) > cpu; }, 5000))
        << "the poll keeps using CPU time";

    bench::ProcessFigures figures =
        bench::readProcessFigures(lookout.process(), lookout.pid(), unixPid);
    EXPECT_GT(figures.handles, 5);
    EXPECT_GT(figures.privateBytes, 1 << 20);
    EXPECT_GE(figures.workingSet, figures.privateBytes);
    EXPECT_GE(figures.windows, 1) << "the DDE message window";
    EXPECT_GE(figures.threads, 2) << "the monitor and DDE threads";
    lookout.stop();
}

}  // namespace
