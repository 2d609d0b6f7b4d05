// Switch latency: from SetForegroundWindow on a test window to the last byte of its record at
// the parent, over switches among application windows of three processes. A pause of 0 to 10 ms
// before each switch spreads the switches over the phase of Lookout's 10 ms poll.
//   bench_switch.exe [--switches N] [--warmup N]
#include <windows.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/desktop.h"
#include "common/lookout_process.h"
#include "common/options.h"
#include "common/stats.h"
#include "common/switching.h"
#include "e2e/driver.h"

namespace {

constexpr double kTargetP95Ms = 15;
constexpr DWORD kRecordDeadlineMs = 5000;

int run(const bench::Options& options) {
    const int switches = options.number("--switches", 300);
    const int warmup = options.number("--warmup", 12);

    std::vector<std::unique_ptr<e2e::TestWindows>> processes;
    for (const char* exe : {"testwin_ver.exe", "testwin_plain.exe", "testwin_two.exe"})
        processes.push_back(std::make_unique<e2e::TestWindows>(exe));
    std::vector<HWND> windows;
    bench::RecordCheck check;
    for (std::size_t index = 0; index < 6; ++index) {
        std::string title = "Latency window " + std::to_string(index + 1);
        HWND window = processes[index % 3]->create("BenchLatency", title);
        processes[index % 3]->show(window);
        check.expect(window, "app", processes[index % 3]->exePath(), title);
        windows.push_back(window);
    }

    bench::LookoutProcess lookout;
    if (!lookout.waitForRecords(1, e2e::kDefaultDeadlineMs)) {
        std::printf("error: Lookout did not report the window in front\n");
        return 1;
    }
    check.check(windows.back(), lookout.record(0).text);

    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> pauseMs(0, 10);
    std::vector<double> latencies;
    for (int index = 0; index < warmup + switches; ++index) {
        HWND window = windows[static_cast<std::size_t>(index) % windows.size()];
        Sleep(static_cast<DWORD>(pauseMs(random)));
        bench::SwitchResult result = bench::switchTo(lookout, window, kRecordDeadlineMs);
        if (!result.arrived) {
            std::printf("error: no record within %u ms after switch %d\n",
                        static_cast<unsigned>(kRecordDeadlineMs), index + 1);
            return 1;
        }
        check.check(window, result.record);
        if (index >= warmup) latencies.push_back(result.latencyMs);
    }

    bench::Summary summary = bench::summarize(latencies);
    bench::Table table("Switch latency: SetForegroundWindow to the record's last byte, ms",
                       {"switches", "min", "p50", "p95", "max", "mean"});
    table.add({std::to_string(summary.count), bench::fixed(summary.min, 1),
               bench::fixed(summary.p50, 1), bench::fixed(summary.p95, 1),
               bench::fixed(summary.max, 1), bench::fixed(summary.mean, 1)});
    table.print();
    bench::Table spread("Switch latency: how the switches spread", {"ms", "switches"});
    const double edges[] = {5, 10, 15, 20, 30, 50};
    double lower = 0;
    for (double upper : edges) {
        std::size_t count = 0;
        for (double latency : latencies) count += latency >= lower && latency < upper;
        spread.add({bench::fixed(lower, 0) + "-" + bench::fixed(upper, 0), std::to_string(count)});
        lower = upper;
    }
    std::size_t beyond = 0;
    for (double latency : latencies) beyond += latency >= lower;
    spread.add({bench::fixed(lower, 0) + "+", std::to_string(beyond)});
    spread.print();

    if (check.faults() > 0)
        std::printf("error: %zu wrong records; first: %s\n", check.faults(),
                    check.firstFault().c_str());
    bench::printFigure("switch_latency_min", summary.min, "ms", 1);
    bench::printFigure("switch_latency_p50", summary.p50, "ms", 1);
    bench::printFigure("switch_latency_p95", summary.p95, "ms", 1);
    bench::printFigure("switch_latency_max", summary.max, "ms", 1);
    bench::printFigure("switch_records_wrong", static_cast<double>(check.faults()), "records", 0);
    bench::printTarget("switch_latency_p95 < " + bench::fixed(kTargetP95Ms, 0) + " ms",
                       summary.p95 < kTargetP95Ms);
    lookout.stop();
    return check.faults() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return bench::runGuarded(argc, argv, run); }
