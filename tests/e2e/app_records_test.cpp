// The real Lookout.exe against real windows of other processes: the exact bytes the parent gets.
#include <gtest/gtest.h>

#include <string>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;

TEST(AppRecords, SwitchABAGivesThreeRecordsByteForByte) {
    e2e::TestWindows first("testwin_ver.exe");
    e2e::TestWindows second("testwin_plain.exe");
    HWND a = first.create("LookoutAppA", "Window A");
    HWND b = second.create("LookoutAppB", "Window B");
    first.show(a);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    second.show(b);
    ASSERT_TRUE(lookout.waitForRecords(2));
    first.show(a);
    ASSERT_TRUE(lookout.waitForRecords(3));
    EXPECT_EQ(lookout.output(),
              appRecord(first.exePath(), "Lookout Test Window", "Window A") +
                  appRecord(second.exePath(), "-", "Window B") +
                  appRecord(first.exePath(), "Lookout Test Window", "Window A"));
    EXPECT_EQ(lookout.output().find('\r'), std::string::npos);
}

TEST(AppRecords, ShortPathIsReportedLongAndTheLastTranslationWins) {
    // At the root of C:, away from the many test folders in %TEMP%: Wine's hashed 8.3 names of
    // many siblings with a common prefix can collide.
    std::string root = "C:\\lookout-short-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(GetTickCount());
    std::string folder = root + "\\A Folder With A Long Name";
    std::string longPath = folder + "\\Two Translations Window.exe";
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    e2e::copyFileOrThrow(e2e::binPath("testwin_two.exe"), longPath);
    char shortPath[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(longPath.c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortPath), longPath);
    {
        e2e::TestWindows windows(shortPath);
        HWND window = windows.create("LookoutShortPath", "Started short");
        windows.show(window);
        e2e::Lookout lookout;
        ASSERT_TRUE(lookout.waitForRecords(1));
        EXPECT_EQ(lookout.records()[0], appRecord(longPath, "Zweite Beschreibung", "Started short"));
    }
    DeleteFileA(longPath.c_str());
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(root.c_str());
}

TEST(AppRecords, DesktopClassesReportTheWordDesktop) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND progman = windows.create("Progman", "Program Manager");
    HWND worker = windows.create("workerw", "");
    HWND plain = windows.create("LookoutPlain", "Plain");
    windows.show(plain);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.show(progman);
    ASSERT_TRUE(lookout.waitForRecords(2));
    windows.show(worker);
    ASSERT_TRUE(lookout.waitForRecords(3));
    auto records = lookout.records();
    EXPECT_EQ(records[1], appRecord("Desktop", "Desktop", "Program Manager"));
    EXPECT_EQ(records[2], appRecord("Desktop", "Desktop", ""));
}

TEST(AppRecords, DollarsAreEscapedAndAnEmptyTitleEndsInTwoDollars) {
    e2e::TestWindows windows("testwin_plain.exe");
    HWND dollar = windows.create("LookoutDollar", "a$b");
    HWND empty = windows.create("LookoutEmpty", "");
    windows.show(dollar);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.show(empty);
    ASSERT_TRUE(lookout.waitForRecords(2));
    EXPECT_EQ(lookout.output(), appRecord(windows.exePath(), "-", "aSb") +
                                    "app$" + windows.exePath() + "$-$$\n$");
}

TEST(AppRecords, EveryTitleByteArrivesUnchangedButTheDollar) {
    std::string title;
    for (int c = 1; c < 256; ++c) title += static_cast<char>(c);
    e2e::TestWindows windows("testwin_plain.exe");
    HWND window = windows.create("LookoutBytes", title);
    windows.show(window);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    std::string expected = title;
    expected['$' - 1] = 'S';
    EXPECT_EQ(lookout.output(), appRecord(windows.exePath(), "-", expected));
}

TEST(TitleCheck, AChangedTitleIsReportedWithinAboutASecond) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND window = windows.create("LookoutRetitle", "Before");
    windows.show(window);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    ULONGLONG changed = GetTickCount64();
    windows.retitle(window, "After $2");
    ASSERT_TRUE(lookout.waitForRecords(2, 5000));
    EXPECT_LT(GetTickCount64() - changed, 2500u) << "checked about once a second";
    EXPECT_EQ(lookout.records()[1],
              appRecord(windows.exePath(), "Lookout Test Window", "After S2"));
}

TEST(TitleCheck, ATitleChangingEvery200msGivesAboutOneRecordASecond) {
    e2e::TestWindows windows("testwin_plain.exe");
    HWND window = windows.create("LookoutTicker", "tick 0");
    windows.show(window);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    ULONGLONG start = GetTickCount64();
    int changes = 0;
    // The 200 ms rhythm is what is tested here, so this loop sleeps on purpose.
    while (GetTickCount64() - start < 4000) {
        windows.retitle(window, "tick " + std::to_string(++changes));
        Sleep(200);
    }
    double seconds = (GetTickCount64() - start) / 1000.0;
    std::size_t titleRecords = lookout.records().size() - 1;
    EXPECT_GE(titleRecords, 2u);
    EXPECT_LE(titleRecords, static_cast<std::size_t>(seconds) + 1) << "over " << seconds << " s";
    for (const std::string& record : lookout.records())
        EXPECT_EQ(record.rfind("app$" + windows.exePath() + "$-$tick ", 0), 0u) << record;
}

TEST(Foreground, AWindowThatComesBackAfterNoForegroundIsReportedAgain) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND a = windows.create("LookoutBack", "Comes back");
    windows.show(a);
    e2e::Lookout lookout({"/debuglog"});
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.hide(a);
    if (GetForegroundWindow() != nullptr) GTEST_SKIP() << "another window took the foreground";
    // Lookout must have seen the empty foreground before the window returns.
    ASSERT_TRUE(e2e::waitFor([&] {
        return e2e::readFile(lookout.logPath()).find("Foreground Window Process ID 0\r\n") !=
               std::string::npos;
    }));
    windows.show(a);
    ASSERT_TRUE(lookout.waitForRecords(2));
    EXPECT_EQ(lookout.output(), appRecord(windows.exePath(), "Lookout Test Window", "Comes back") +
                                    appRecord(windows.exePath(), "Lookout Test Window", "Comes back"));
}

}  // namespace
