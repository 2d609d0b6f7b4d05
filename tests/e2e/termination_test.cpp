// How Lookout ends: Ctrl+C and the run-time hooks, seen from the parent.
#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <set>
#include <string>
#include <thread>

#include "e2e/driver.h"

namespace {

TEST(Termination, CtrlCEndsWithCodeOneAfterWholeRecords) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND a = windows.create("LookoutStopA", "Stop A");
    HWND b = windows.create("LookoutStopB", "Stop B");
    windows.show(a);
    e2e::Lookout lookout({"/debuglog"});
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.show(b);
    ASSERT_TRUE(lookout.waitForRecords(2));
    EXPECT_EQ(lookout.stopWithCtrlC(), 1u);
    EXPECT_TRUE(lookout.outputClosed());
    EXPECT_EQ(lookout.output(), e2e::appRecord(windows.exePath(), "Lookout Test Window", "Stop A") +
                                    e2e::appRecord(windows.exePath(), "Lookout Test Window", "Stop B"));
    std::string log = e2e::readFile(lookout.logPath());
    EXPECT_TRUE(std::regex_search(log, std::regex(R"(\d\d:\d\d:\d\d: Lookout Terminated\r\n$)")));
}

TEST(Termination, CtrlCWithoutTheLogStillEndsWithCodeOne) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND a = windows.create("LookoutStopPlain", "Plain stop");
    windows.show(a);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    EXPECT_EQ(lookout.stopWithCtrlC(), 1u);
    EXPECT_FALSE(e2e::fileExists(lookout.logPath()));
}

// Ctrl+C while the monitor thread identifies a new window at nearly every poll.
TEST(Termination, CtrlCDuringFastSwitchingEndsWithCodeOneAfterWholeRecordsEveryTime) {
    e2e::TestWindows ver("testwin_ver.exe"), two("testwin_two.exe");
    const HWND windows[] = {ver.create("LookoutFastA", "Fast A"),
                            two.create("LookoutFastB", "Fast B")};
    ver.show(windows[0]);
    two.show(windows[1]);
    const std::set<std::string> known = {
        e2e::appRecord(ver.exePath(), "Lookout Test Window", "Fast A"),
        e2e::appRecord(two.exePath(), "Zweite Beschreibung", "Fast B")};
    for (int run = 0; run < 20 && !HasFailure(); ++run) {
        e2e::Lookout lookout;
        std::atomic<bool> switching{true};
        std::thread switcher([&] {
            for (unsigned n = 0; switching; ++n, Sleep(n % 4)) SetForegroundWindow(windows[n % 2]);
        });
        EXPECT_TRUE(lookout.waitForRecords(5)) << "run " << run;
        EXPECT_EQ(lookout.stopWithCtrlC(), 1u) << "run " << run;
        switching = false;
        switcher.join();
        std::string whole;
        for (const std::string& record : e2e::splitRecords(lookout.output())) {
            EXPECT_EQ(known.count(record), 1u) << "run " << run << ": " << record;
            whole += record;
        }
        EXPECT_EQ(whole, lookout.output()) << "run " << run << ": bytes outside whole records";
    }
}

struct ProbeRun {
    DWORD exitCode;
    std::string output;
    std::string log;
    bool destroyedStatics;  // a destructor of a static object ran
};

// Runs the hook probe in a folder of its own, so that its log is the test's own.
ProbeRun runHookProbe(const std::vector<std::string>& args) {
    std::string folder = e2e::freshTempDir("hooks");
    std::string exe = folder + "\\hook_probe.exe";
    e2e::copyFileOrThrow(e2e::binPath("hook_probe.exe"), exe);
    std::string commandLine = "\"" + exe + "\"";
    for (const std::string& arg : args) commandLine += " " + arg;
    e2e::ChildProcess child(commandLine, false);
    std::string output;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(child.stdoutRead(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        output.append(buffer, read);
    return {child.waitForExit(e2e::kDefaultDeadlineMs), output,
            e2e::readFile(folder + "\\hook_probe.log"), e2e::fileExists(exe + ".destroyed")};
}

std::wstring wideLine(const std::wstring& text) { return text + L"\r\n"; }
std::string bytesOf(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST(Termination, InvalidParameterLogsEveryTextPresentAndEndsWithCodeOne) {
    ProbeRun run = runHookProbe({"/debuglog", "invalid-parameter-all"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output, e2e::appRecord("C:\\probe.exe", "Probe", "before the hook"));
    std::smatch match;
    ASSERT_TRUE(std::regex_search(
        run.log, match,
        std::regex(R"(\d\d:\d\d:\d\d: ERROR! ERROR! ERROR! InvalidParameterHandler: Invalid )"
                   R"(parameter detected in function 0x([0-9A-Fa-f]+) 0x([0-9A-Fa-f]+) )"
                   R"(Line = 42 0x([0-9A-Fa-f]+)\r\n)")))
        << run.log;
    for (int i = 1; i <= 3; ++i) EXPECT_NE(std::stoull(match[i], nullptr, 16), 0u);
    std::string rest = match.suffix();
    std::string expectedWide = bytesOf(wideLine(L"function = probeFunction") +
                                       wideLine(L"file = probe.cpp") +
                                       wideLine(L"expression = buffer != nullptr"));
    EXPECT_EQ(rest.substr(0, expectedWide.size()), expectedWide);
    EXPECT_TRUE(std::regex_match(rest.substr(expectedWide.size()),
                                 std::regex(R"(\d\d:\d\d:\d\d: Lookout Terminated\r\n)")))
        << rest.substr(expectedWide.size());
}

TEST(Termination, InvalidParameterWithoutTextsLogsNullsOnly) {
    ProbeRun run = runHookProbe({"invalid-parameter-none", "/debuglog"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(std::regex_search(
        run.log,
        std::regex(R"(Invalid parameter detected in function 0x0+ 0x0+ Line = 0 0x0+\r\n)"
                   R"(\d\d:\d\d:\d\d: Lookout Terminated\r\n$)")))
        << run.log;
}

TEST(Termination, SignalsWithoutTheLogEndCleanlyWithCodeOne) {
    // The hook runs with a log lock that was never initialised, and must not touch it.
    for (const char* action : {"raise-sigterm", "raise-sigint", "invalid-parameter-all"}) {
        ProbeRun run = runHookProbe({action});
        EXPECT_EQ(run.exitCode, 1u) << action;
        EXPECT_EQ(run.output, e2e::appRecord("C:\\probe.exe", "Probe", "before the hook")) << action;
        EXPECT_EQ(run.log, "") << action;
        // Other threads may still use the static objects: the process ends without destroying
        // them.
        EXPECT_FALSE(run.destroyedStatics) << action;
    }
}

}  // namespace
