// Switches while a browser's address is read: a browser whose every read takes --read-ms (an
// Opera-like window answered over DDE by a server that answers that late) among three
// applications of three processes, and --switches switches among the four at random intervals of
// 50 to 500 ms, made without waiting for any record. Every switch must give its record, in the
// order of the switches; the delay is from just before SetForegroundWindow to the record's last
// byte.
//   bench_reads.exe [--switches N] [--read-ms N]
#include <windows.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/desktop.h"
#include "common/lookout_process.h"
#include "common/record_stream.h"
#include "common/options.h"
#include "common/stats.h"
#include "e2e/driver.h"

namespace {

constexpr char kAddress[] = "http://reads.test/";
constexpr char kReplyTitle[] = "Reply";
constexpr DWORD kRecordDeadlineMs = 10000;

struct Switch {
    HWND window;
    double startMs;
};

// What a window's record must hold: its kind, first field and title.
struct Wanted {
    std::string kind, first, title;
    bool matches(const std::string& record) const {
        const std::vector<std::string> items = bench::recordItems(record);
        const std::size_t titleItem = kind == "app" ? 3 : 2;
        return bench::isWellFormedRecord(record) && items[0] == kind && items[1] == first &&
               items[titleItem] == title;
    }
};

int run(const bench::Options& options) {
    const int switches = options.number("--switches", 200);
    const int readMs = options.number("--read-ms", 300);

    std::vector<std::unique_ptr<e2e::TestWindows>> processes;
    for (const char* exe : {"testwin_ver.exe", "testwin_plain.exe", "testwin_two.exe"})
        processes.push_back(std::make_unique<e2e::TestWindows>(exe));
    std::vector<HWND> windows;
    std::vector<Wanted> expected, alsoAccepted;  // by index of `windows`
    for (std::size_t index = 0; index < processes.size(); ++index) {
        const std::string title = "Reads application " + std::to_string(index + 1);
        windows.push_back(processes[index]->create("BenchReads", title));
        expected.push_back({"app", processes[index]->exePath(), title});
        alsoAccepted.push_back(expected.back());
    }
    e2e::TestWindows& browserProcess = *processes[0];
    windows.push_back(browserProcess.create("OperaWindowClass", "Reads browser"));
    expected.push_back({"site", kAddress, kReplyTitle});
    // A read that ran into its bound: the browser is reported, without its address.
    alsoAccepted.push_back({"app", browserProcess.exePath(), "Reads browser"});
    bench::DdeServerProcess server(std::string("--app Opera --url ") + kAddress + " --title " +
                                   kReplyTitle + " --delay " + std::to_string(readMs));
    for (std::size_t index = 0; index < windows.size(); ++index) {
        const std::size_t shown = (index + 1) % windows.size();  // the first application last
        processes[shown == 3 ? 0 : shown]->show(windows[shown]);
    }

    bench::LookoutProcess lookout;
    if (!lookout.waitForRecords(1, kRecordDeadlineMs)) {
        std::printf("error: Lookout did not report the window in front\n");
        return 1;
    }

    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> pauseMs(50, 500);
    std::uniform_int_distribution<std::size_t> other(1, windows.size() - 1);
    std::vector<Switch> made;
    std::size_t current = 0;
    for (int index = 0; index < switches; ++index) {
        current = (current + other(random)) % windows.size();
        Sleep(static_cast<DWORD>(pauseMs(random)));
        const double start = bench::nowMs();
        if (!bench::bringToFront(windows[current])) {
            std::printf("error: switch %d did not bring its window to the front\n", index + 1);
            return 1;
        }
        made.push_back({windows[current], start});
    }
    lookout.waitForRecords(1 + made.size(), kRecordDeadlineMs);
    // Whatever else comes would be a record too many.
    Sleep(readMs + 1000);
    const std::vector<bench::TimedRecord> records = lookout.records();

    // Each switch takes the next record when it is that window's; otherwise it is lost.
    std::size_t next = 1, lost = 0, withoutAddress = 0;
    std::vector<double> delays, browserDelays;
    std::string firstLost;
    for (std::size_t index = 0; index < made.size(); ++index) {
        std::size_t window = 0;
        while (windows[window] != made[index].window) ++window;
        const bool browser = window == 3;
        if (next < records.size() && (expected[window].matches(records[next].text) ||
                                      alsoAccepted[window].matches(records[next].text))) {
            withoutAddress += !expected[window].matches(records[next].text);
            delays.push_back(records[next].receivedMs - made[index].startMs);
            if (browser) browserDelays.push_back(delays.back());
            ++next;
            continue;
        }
        if (lost++ == 0)
            firstLost = "switch " + std::to_string(index + 1) + ": " +
                        (next < records.size() ? records[next].text : "(no record)");
    }
    const std::size_t extra = records.size() - next;

    bench::Summary all = bench::summarize(delays);
    bench::Summary browserOnly = bench::summarize(browserDelays);
    bench::Table table("Switches while a browser's address is read (" + std::to_string(readMs) +
                           " ms a read): switch to record, ms",
                       {"", "records", "min", "p50", "p95", "max"});
    table.add({"all", std::to_string(all.count), bench::fixed(all.min, 1),
               bench::fixed(all.p50, 1), bench::fixed(all.p95, 1), bench::fixed(all.max, 1)});
    table.add({"browser", std::to_string(browserOnly.count), bench::fixed(browserOnly.min, 1),
               bench::fixed(browserOnly.p50, 1), bench::fixed(browserOnly.p95, 1),
               bench::fixed(browserOnly.max, 1)});
    table.print();
    if (lost > 0) std::printf("first lost: %s\n", firstLost.c_str());
    bench::printFigure("switches_during_reads", static_cast<double>(made.size()), "switches", 0);
    bench::printFigure("switches_lost_during_reads", static_cast<double>(lost), "switches", 0);
    bench::printFigure("records_extra_during_reads", static_cast<double>(extra), "records", 0);
    bench::printFigure("browser_records_without_address", static_cast<double>(withoutAddress),
                       "records", 0);
    bench::printFigure("record_delay_during_reads_p50", all.p50, "ms", 1);
    bench::printFigure("record_delay_during_reads_p95", all.p95, "ms", 1);
    bench::printFigure("record_delay_during_reads_max", all.max, "ms", 1);
    bench::printTarget("switches_lost_during_reads = 0 and no record too many",
                       lost == 0 && extra == 0);
    lookout.stop();
    return lost == 0 && extra == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return bench::runGuarded(argc, argv, run); }
