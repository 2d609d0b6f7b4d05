// Windows whose process is more than it seems: processes that resist inspection of their
// memory, and the frames of packaged apps.
#include <gtest/gtest.h>

#include <string>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;

TEST(Identification, ProcessesThatResistInspectionAreReportedAtEverySwitch) {
    e2e::TestWindows guarded("testwin_ver.exe");
    e2e::TestWindows looped("testwin_two.exe");
    e2e::TestWindows churning("testwin_plain.exe");
    HWND g = guarded.create("LookoutGuarded", "Guarded");
    HWND l = looped.create("LookoutLooped", "Looped");
    HWND c = churning.create("LookoutChurning", "Churning");
    looped.show(l);
    // Rights as an elevated process grants them to a normal user: no reading of its memory.
    ASSERT_EQ(guarded.command("deny 410"), "ok");
    ASSERT_EQ(looped.command("loopmodules"), "ok");
    ASSERT_EQ(churning.command("churn"), "ok");
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    const std::string recordOf[] = {appRecord(looped.exePath(), "Zweite Beschreibung", "Looped"),
                                    appRecord(guarded.exePath(), "Lookout Test Window", "Guarded"),
                                    appRecord(churning.exePath(), "-", "Churning")};
    std::string expected = recordOf[0];
    // Every other switch goes to the process that loads and frees DLLs.
    const int order[] = {1, 2, 0, 2};
    for (std::size_t step = 0; step < 40; ++step) {
        const int next = order[step % 4];
        e2e::TestWindows& process = next == 0 ? looped : next == 1 ? guarded : churning;
        process.show(next == 0 ? l : next == 1 ? g : c);
        ASSERT_TRUE(lookout.waitForRecords(step + 2)) << "switch " << step + 1;
        expected += recordOf[next];
    }
    EXPECT_EQ(lookout.output(), expected);
}

// A packaged app's window is a frame of ApplicationFrameHost.exe holding the app's own window,
// from the app's process, as a child.
TEST(Identification, AnApplicationFrameIsReportedAsTheAppInsideIt) {
    const std::string hostPath = e2e::freshTempDir("frame") + "\\ApplicationFrameHost.exe";
    e2e::copyFileOrThrow(e2e::binPath("testwin_ver.exe"), hostPath);
    e2e::TestWindows host(hostPath);
    e2e::TestWindows app("testwin_two.exe");
    HWND frame = host.create("ApplicationFrameWindow", "Packaged $ app");
    HWND core = app.createChild(frame, "Windows.UI.Core.CoreWindow", "");
    // The same frame class in another executable is an ordinary window.
    HWND lookalike = app.create("ApplicationFrameWindow", "Lookalike");
    host.createChild(lookalike, "Windows.UI.Core.CoreWindow", "");
    host.show(frame);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    app.show(lookalike);
    ASSERT_TRUE(lookout.waitForRecords(2));
    // A suspended app's frame holds no window of the app: the frame's own process is reported.
    app.destroy(core);
    host.show(frame);
    ASSERT_TRUE(lookout.waitForRecords(3));
    EXPECT_EQ(lookout.output(),
              appRecord(app.exePath(), "Zweite Beschreibung", "Packaged S app") +
                  appRecord(app.exePath(), "Zweite Beschreibung", "Lookalike") +
                  appRecord(hostPath, "Lookout Test Window", "Packaged S app"));
}

}  // namespace
