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

// A packaged app's window is a frame of the system's ApplicationFrameHost.exe holding the app's
// own window, from the app's process, as a child. The frame follows the app in it: an app window
// that arrives after the frame came to the front, and an app that ends while the frame stays.
TEST(Identification, AnApplicationFrameIsReportedAsTheAppInsideIt) {
    char systemFolder[MAX_PATH] = {};
    GetSystemDirectoryA(systemFolder, MAX_PATH);
    const std::string hostPath = std::string(systemFolder) + "\\ApplicationFrameHost.exe";
    e2e::copyFileOrThrow(e2e::binPath("testwin_ver.exe"), hostPath);
    // The same names anywhere else are an ordinary program.
    const std::string otherPath = e2e::freshTempDir("frame") + "\\ApplicationFrameHost.exe";
    e2e::copyFileOrThrow(e2e::binPath("testwin_plain.exe"), otherPath);
    {
        e2e::TestWindows host(hostPath);
        e2e::TestWindows other(otherPath);
        e2e::TestWindows app("testwin_two.exe");
        HWND frame = host.create("ApplicationFrameWindow", "Packaged $ app");
        host.createChild(frame, "Windows.UI.Core.CoreWindow", "");
        HWND lookalike = other.create("ApplicationFrameWindow", "Lookalike");
        app.createChild(lookalike, "Windows.UI.Core.CoreWindow", "");
        host.show(frame);
        e2e::Lookout lookout;
        ASSERT_TRUE(lookout.waitForRecords(1));
        app.createChild(frame, "Windows.UI.Core.CoreWindow", "");
        ASSERT_TRUE(lookout.waitForRecords(2));
        other.show(lookalike);
        ASSERT_TRUE(lookout.waitForRecords(3));
        // A window of the frame's own process, above the app's, is not the app.
        host.createChild(frame, "Windows.UI.Core.CoreWindow", "");
        host.show(frame);
        ASSERT_TRUE(lookout.waitForRecords(4));
        app.quit();
        ASSERT_TRUE(lookout.waitForRecords(5));
        const std::string hostRecord = appRecord(hostPath, "Lookout Test Window", "Packaged S app");
        const std::string appRecordInFrame =
            appRecord(app.exePath(), "Zweite Beschreibung", "Packaged S app");
        EXPECT_EQ(lookout.output(), hostRecord + appRecordInFrame +
                                        appRecord(otherPath, "-", "Lookalike") +
                                        appRecordInFrame + hostRecord);
    }
    DeleteFileA(hostPath.c_str());
}

}  // namespace
