// The debug log of the real Lookout.exe: where it goes, what it holds, who may open it.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "e2e/driver.h"

namespace {

int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Runs Lookout with `args` until it has reported one window, then stops it with Ctrl+C.
DWORD runUntilOneRecord(const std::vector<std::string>& args, const std::string& folder,
                        e2e::TestWindows& windows, HWND window) {
    e2e::Lookout lookout(args, folder);
    EXPECT_TRUE(lookout.waitForRecords(1));
    (void)windows;
    (void)window;
    return lookout.stopWithCtrlC();
}

TEST(DebugLog, SwitchAnywhereWritesTheLogBesideTheExecutable) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND window = windows.create("LookoutLogged", "Logged $ window");
    windows.show(window);
    e2e::Lookout lookout({"first", "/debuglog", "last"});
    ASSERT_TRUE(lookout.waitForRecords(1));
    EXPECT_EQ(lookout.stopWithCtrlC(), 1u);

    // The log's name follows the lower-cased path of the executable, on disk too.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((lookout.folder() + "\\*.log").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_STREQ(found.cFileName, "lookout.log");

    std::string log = e2e::readFile(lookout.logPath());
    std::string time = R"(\d\d:\d\d:\d\d: )";
    EXPECT_TRUE(std::regex_search(
        log, std::regex("^" + time + R"(Logging started: \d\d-\d\d-\d{4}\r\n)")))
        << log;
    EXPECT_TRUE(std::regex_search(
        log, std::regex(time + R"(\(\d+, thread = \d+\) >>>> Function: )"
                               R"(createConsoleDDEProcessingWindowProcess\r\n)")));
    EXPECT_NE(log.find("Foreground Window Process ID " + std::to_string(windows.pid()) + "\r\n"),
              std::string::npos);
    EXPECT_TRUE(std::regex_search(log, std::regex(time + R"(\(\d+, thread = \d+\) >>>> Function: GetModuleInfo\r\n)")));
    EXPECT_NE(log.find("GetModuleInfo: before QueryFullProcessImageName\r\n"), std::string::npos);
    EXPECT_NE(log.find("GetModuleInfo: QueryFullProcessImageName succeeded\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("GetModuleInfo: FileName " + windows.exePath() + "\r\n"), std::string::npos);
    EXPECT_NE(log.find("Warning 1411: window class does not exist: LookoutLogged\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("Extracted file version from file '" + windows.exePath() +
                       "' (section 'FileDescription'): Lookout Test Window\r\n"),
              std::string::npos);
    EXPECT_TRUE(std::regex_search(log, std::regex(time + "Lookout Terminated\r\n$"))) << log;
}

TEST(DebugLog, MissingVersionResourceAndDesktopAreLogged) {
    e2e::TestWindows windows("testwin_plain.exe");
    HWND plain = windows.create("LookoutPlainLogged", "Plain");
    HWND desktop = windows.create("Progman", "Program Manager");
    windows.show(plain);
    e2e::Lookout lookout({"/debuglog"});
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.show(desktop);
    ASSERT_TRUE(lookout.waitForRecords(2));
    lookout.stopWithCtrlC();
    std::string log = e2e::readFile(lookout.logPath());
    EXPECT_NE(log.find("Failed to extract version information from file '" + windows.exePath() +
                       "' (section 'FileDescription')\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("GetModuleInfo: Desktop window found (" + windows.exePath() + ")\r\n"),
              std::string::npos);
}

TEST(DebugLog, OnlyTheExactSwitchTurnsItOn) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND window = windows.create("LookoutUnlogged", "Unlogged");
    windows.show(window);
    for (const char* other : {"/DEBUGLOG", "-debuglog", "/debuglog2"}) {
        e2e::Lookout lookout({other});
        ASSERT_TRUE(lookout.waitForRecords(1)) << other;
        EXPECT_EQ(lookout.stopWithCtrlC(), 1u);
        EXPECT_FALSE(e2e::fileExists(lookout.logPath())) << other;
    }
}

TEST(DebugLog, TwoRunsAppendAndAHeldLogLeavesTheSecondInstanceWithout) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND window = windows.create("LookoutTwice", "Twice");
    windows.show(window);
    std::string folder = e2e::freshTempDir("twice");
    {
        e2e::Lookout holder({"/debuglog"}, folder);
        ASSERT_TRUE(holder.waitForRecords(1));
        // A second instance from the same folder finds the log held and runs without it.
        e2e::Lookout second({"/debuglog"}, folder);
        ASSERT_TRUE(second.waitForRecords(1));
        EXPECT_EQ(second.records()[0], holder.records()[0]);
        EXPECT_EQ(second.stopWithCtrlC(), 1u);
        EXPECT_EQ(holder.stopWithCtrlC(), 1u);
    }
    std::string afterOne = e2e::readFile(folder + "\\lookout.log");
    EXPECT_EQ(countOf(afterOne, "Logging started: "), 1);
    EXPECT_EQ(countOf(afterOne, "Lookout Terminated"), 1);

    EXPECT_EQ(runUntilOneRecord({"/debuglog", "/debuglog"}, folder, windows, window), 1u);
    std::string afterTwo = e2e::readFile(folder + "\\lookout.log");
    EXPECT_EQ(afterTwo.substr(0, afterOne.size()), afterOne) << "the second run appends";
    EXPECT_EQ(countOf(afterTwo, "Logging started: "), 2) << "a repeated switch opens once";
    EXPECT_EQ(countOf(afterTwo, "Lookout Terminated"), 2);
}

}  // namespace
