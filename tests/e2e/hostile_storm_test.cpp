// Windows and processes that die while Lookout identifies them: hundreds of them come to the
// front at once and vanish, window by window and whole process by whole process. Lookout must run
// on, and every byte it writes must belong to a whole, well-formed record.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

constexpr int kWaves = 2;
constexpr int kProcessesPerWave = 40;
constexpr int kWindowsPerWave = 150;
constexpr DWORD kStormDeadlineMs = 60000;
const char* const kKinds[] = {"plain", "ie", "chrome", "firefox"};

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// Why a record that the storm can have produced is not one, or empty when it is.
std::string checkRecord(const std::string& record, const std::string& stablePath,
                        const std::string& flashPath) {
    std::vector<std::string> items = e2e::recordItems(record);
    if (items.size() != 5 || items[4] != "\n") return "not kind, three fields and a line feed";
    const std::string& kind = items[0];
    if (kind == "app") {
        const std::string &path = items[1], &description = items[2], &title = items[3];
        if (path == stablePath)
            return description == "Lookout Test Window" &&
                           (title == "Before the storm" || title == "After the storm")
                       ? ""
                       : "a stable window's record is not its own";
        if (path != flashPath) return "unknown path";
        if (description != "-") return "a flash window's description";
        // Every flash window has a title: an empty one belonged to a window already gone.
        return startsWith(title, "flash ") ? "" : "not a flash window's title";
    }
    if (kind == "site") {
        const std::string &url = items[1], &title = items[2], &path = items[3];
        if (path != flashPath) return "a site record of another path";
        if (!url.empty() && url != "Unknown" && !startsWith(url, "http://flash.test/"))
            return "an address that no window showed";
        return startsWith(title, "flash ") ? "" : "not a flash window's site title";
    }
    return "unknown kind";
}

std::string uniqueName(const char* what) {
    return std::string("lookout-storm-") + what + "-" + std::to_string(GetCurrentProcessId()) +
           "-" + std::to_string(GetTickCount64());
}

// Starts one wave of flashing windows and processes, lets them all go at once and waits until
// every one of them has ended.
void flashWave(const std::string& flashExe, HANDLE go, const std::string& goName, HANDLE ready,
               const std::string& readyName) {
    ResetEvent(go);
    const std::string names = " " + goName + " " + readyName;
    std::vector<std::unique_ptr<e2e::ChildProcess>> flashes;
    flashes.push_back(std::make_unique<e2e::ChildProcess>(
        "\"" + flashExe + "\" windows " + std::to_string(kWindowsPerWave) + names, false));
    for (int i = 0; i < kProcessesPerWave; ++i)
        flashes.push_back(std::make_unique<e2e::ChildProcess>(
            "\"" + flashExe + "\" process " + kKinds[i % 4] + names, false));
    for (std::size_t i = 0; i < flashes.size(); ++i)
        ASSERT_EQ(WaitForSingleObject(ready, kStormDeadlineMs), WAIT_OBJECT_0) << "flash " << i;
    SetEvent(go);
    for (auto& flash : flashes) EXPECT_EQ(flash->waitForExit(kStormDeadlineMs), 0u);
}

TEST(HostileStorm, WindowsAndProcessesDyingAtTheFrontLeaveOnlyWholeRecordsAndLookoutRunsOn) {
    e2e::TestWindows stable("testwin_ver.exe");
    HWND before = stable.create("LookoutStormBefore", "Before the storm");
    HWND after = stable.create("LookoutStormAfter", "After the storm");
    stable.show(before);
    e2e::Lookout lookout({"/debuglog"});
    ASSERT_TRUE(lookout.waitForRecords(1));

    const std::string goName = uniqueName("go"), readyName = uniqueName("ready");
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, goName.c_str());
    HANDLE ready = CreateSemaphoreA(nullptr, 0, 1000, readyName.c_str());
    ASSERT_TRUE(go && ready);
    const std::string flashExe = e2e::binPath("hostile_flash.exe");
    for (int wave = 0; wave < kWaves; ++wave) flashWave(flashExe, go, goName, ready, readyName);
    CloseHandle(go);
    CloseHandle(ready);

    // Lookout still polls: a switch after the storm is reported as it should be.
    stable.show(after);
    const std::string afterRecord =
        e2e::appRecord(stable.exePath(), "Lookout Test Window", "After the storm");
    EXPECT_TRUE(e2e::waitFor([&] {
        std::vector<std::string> records = lookout.records();
        return !records.empty() && records.back() == afterRecord;
    }, kStormDeadlineMs));
    EXPECT_FALSE(lookout.outputClosed()) << "Lookout ended during the storm";
    EXPECT_EQ(lookout.stopWithCtrlC(), 1u);

    const std::string output = lookout.output();
    std::vector<std::string> records = e2e::splitRecords(output);
    std::string joined;
    for (const std::string& record : records) joined += record;
    EXPECT_EQ(joined, output) << "bytes outside whole records";
    std::size_t flashRecords = 0;
    for (const std::string& record : records) {
        std::string fault = checkRecord(record, stable.exePath(), flashExe);
        EXPECT_EQ(fault, "") << record;
        if (record.find(flashExe) != std::string::npos) ++flashRecords;
    }
    EXPECT_GT(flashRecords, 0u) << "the storm never reached Lookout";
    std::printf("[ storm    ] %zu records, %zu of flashing windows\n", records.size(), flashRecords);
}

}  // namespace
