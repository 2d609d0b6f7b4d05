// Switch latency: from SetForegroundWindow on a test window to the last byte of its record at
// the parent, over switches among application windows of three processes, beside the same
// figure for the poll reference (poll_reference.exe), which only polls the foreground every
// 10 ms and writes the new handle: what no 10 ms poll can do better. Both see every switch, so
// the machine's load falls on both alike. A pause of 0 to 10 ms before each switch spreads the
// switches over the phase of the 10 ms polls.
//   bench_switch.exe [--switches N] [--warmup N]
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/clock.h"
#include "common/desktop.h"
#include "common/lookout_process.h"
#include "common/options.h"
#include "common/stats.h"
#include "common/switching.h"
#include "e2e/driver.h"

namespace {

constexpr double kTargetP95Ms = 15;
constexpr double kTargetOverReferenceMs = 1.5;
constexpr DWORD kRecordDeadlineMs = 5000;

// poll_reference.exe with its output read as it comes, each handle with the time it arrived.
class PollReference {
public:
    PollReference()
        : child_("\"" + e2e::binPath("poll_reference.exe") + "\"", false),
          reader_([this] { readOutput(); }) {}
    ~PollReference() {
        child_.kill();
        reader_.join();
    }
    std::size_t count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_.size();
    }
    // When the reference wrote `window`, at or after its `from`th line; 0 when it did not
    // before the deadline.
    double seenAt(HWND window, std::size_t from, DWORD deadlineMs) {
        std::unique_lock<std::mutex> lock(mutex_);
        double at = 0;
        changed_.wait_for(lock, std::chrono::milliseconds(deadlineMs), [&] {
            for (std::size_t index = from; index < seen_.size(); ++index)
                if (seen_[index].first == window) return (at = seen_[index].second) > 0;
            return false;
        });
        return at;
    }

private:
    void readOutput() {
        char buffer[4096];
        DWORD read = 0;
        std::string line;
        while (ReadFile(child_.stdoutRead(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
            double now = bench::nowMs();
            std::lock_guard<std::mutex> lock(mutex_);
            for (DWORD index = 0; index < read; ++index) {
                if (buffer[index] != '\n') {
                    line += buffer[index];
                    continue;
                }
                auto handle = static_cast<std::uintptr_t>(std::strtoull(line.c_str(), nullptr, 10));
                seen_.emplace_back(reinterpret_cast<HWND>(handle), now);
                line.clear();
            }
            changed_.notify_all();
        }
    }

    e2e::ChildProcess child_;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<HWND, double>> seen_;
};

void addLatencyRow(bench::Table& table, const std::string& who, const bench::Summary& summary) {
    table.add({who, std::to_string(summary.count), bench::fixed(summary.min, 1),
               bench::fixed(summary.p50, 1), bench::fixed(summary.p95, 1),
               bench::fixed(summary.max, 1), bench::fixed(summary.mean, 1)});
}

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
    PollReference reference;

    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> pauseMs(0, 10);
    std::vector<double> latencies, referenceLatencies;
    for (int index = 0; index < warmup + switches; ++index) {
        HWND window = windows[static_cast<std::size_t>(index) % windows.size()];
        Sleep(static_cast<DWORD>(pauseMs(random)));
        const std::size_t referenceLines = reference.count();
        bench::SwitchResult result = bench::switchTo(lookout, window, kRecordDeadlineMs);
        if (!result.arrived) {
            std::printf("error: no record within %u ms after switch %d\n",
                        static_cast<unsigned>(kRecordDeadlineMs), index + 1);
            return 1;
        }
        double referenceSaw = reference.seenAt(window, referenceLines, kRecordDeadlineMs);
        if (referenceSaw == 0) {
            std::printf("error: the reference did not see switch %d\n", index + 1);
            return 1;
        }
        check.check(window, result.record);
        if (index < warmup) continue;
        latencies.push_back(result.latencyMs);
        referenceLatencies.push_back(referenceSaw - result.startMs);
    }

    bench::Summary summary = bench::summarize(latencies);
    bench::Summary referenceSummary = bench::summarize(referenceLatencies);
    bench::Table table("Switch latency: SetForegroundWindow to the record's last byte (for the "
                       "reference: to its line), ms",
                       {"", "switches", "min", "p50", "p95", "max", "mean"});
    addLatencyRow(table, "Lookout", summary);
    addLatencyRow(table, "reference", referenceSummary);
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
    bench::printFigure("switch_latency_reference_p50", referenceSummary.p50, "ms", 1);
    bench::printFigure("switch_latency_reference_p95", referenceSummary.p95, "ms", 1);
    bench::printFigure("switch_latency_p95_ratio",
                       referenceSummary.p95 > 0 ? summary.p95 / referenceSummary.p95 : 0, "x");
    bench::printFigure("switch_records_wrong", static_cast<double>(check.faults()), "records", 0);
    bench::printTarget("switch_latency_p95 < " + bench::fixed(kTargetP95Ms, 0) + " ms",
                       summary.p95 < kTargetP95Ms);
    bench::printTarget("switch_latency_p95 - switch_latency_reference_p95 <= " +
                           bench::fixed(kTargetOverReferenceMs, 1) + " ms (" +
                           bench::fixed(summary.p95 - referenceSummary.p95, 1) + ")",
                       summary.p95 - referenceSummary.p95 <= kTargetOverReferenceMs);
    lookout.stop();
    return check.faults() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return bench::runGuarded(argc, argv, run); }
