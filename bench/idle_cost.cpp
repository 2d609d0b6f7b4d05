// Idle cost: Lookout's CPU time per minute of wall time while nothing changes, beside the poll
// reference measured over the same minutes on the same machine.
//   bench_idle.exe [--seconds N] [--samples K]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/clock.h"
#include "common/lookout_process.h"
#include "common/options.h"
#include "common/process_probe.h"
#include "common/stats.h"
#include "e2e/driver.h"

namespace {

constexpr double kTargetRatio = 1.2;
constexpr DWORD kSettleMs = 2000;  // start-up work of both processes stays out of the figures

long waitForUnixPid(const std::string& token) {
    long unixPid = 0;
    e2e::waitFor([&] { return (unixPid = bench::unixPidOf(token)) > 0; }, 5000);
    return unixPid;
}

double perMinute(double cpuMs, double wallMs) { return wallMs > 0 ? cpuMs / wallMs * 60000 : 0; }

int run(const bench::Options& options) {
    const int seconds = options.number("--seconds", 60);
    const int samples = options.number("--samples", 6);

    e2e::TestWindows windows("testwin_ver.exe");
    HWND still = windows.create("BenchIdleWindow", "Nothing changes here");
    windows.show(still);

    bench::LookoutProcess lookout;
    if (!lookout.waitForRecords(1, e2e::kDefaultDeadlineMs)) {
        std::printf("error: Lookout did not report the window in front\n");
        return 1;
    }
    const std::string token = "--bench-reference-" + std::to_string(GetTickCount());
    e2e::ChildProcess reference("\"" + e2e::binPath("poll_reference.exe") + "\" " + token, false);
    long lookoutPid = waitForUnixPid(lookout.token());
    long referencePid = waitForUnixPid(token);
    if (lookoutPid <= 0 || referencePid <= 0) {
        std::printf("error: cannot find the Linux processes to read their CPU time\n");
        return 1;
    }
    Sleep(kSettleMs);

    bench::Table table("Idle cost: CPU time of each process, ms per minute of wall time",
                       {"sample", "wall s", "Lookout", "reference", "ratio"});
    double startWall = bench::nowMs();
    double startLookout = bench::unixCpuMs(lookoutPid);
    double startReference = bench::unixCpuMs(referencePid);
    double lastWall = startWall, lastLookout = startLookout, lastReference = startReference;
    for (int sample = 1; sample <= samples; ++sample) {
        Sleep(static_cast<DWORD>(seconds * 1000 / samples));
        double wall = bench::nowMs();
        double lookoutCpu = bench::unixCpuMs(lookoutPid);
        double referenceCpu = bench::unixCpuMs(referencePid);
        double lookoutRate = perMinute(lookoutCpu - lastLookout, wall - lastWall);
        double referenceRate = perMinute(referenceCpu - lastReference, wall - lastWall);
        table.add({std::to_string(sample), bench::fixed((wall - lastWall) / 1000, 1),
                   bench::fixed(lookoutRate, 0), bench::fixed(referenceRate, 0),
                   referenceRate > 0 ? bench::fixed(lookoutRate / referenceRate, 2) : "-"});
        lastWall = wall;
        lastLookout = lookoutCpu;
        lastReference = referenceCpu;
    }
    double lookoutRate = perMinute(lastLookout - startLookout, lastWall - startWall);
    double referenceRate = perMinute(lastReference - startReference, lastWall - startWall);
    double ratio = referenceRate > 0 ? lookoutRate / referenceRate : 0;
    table.add({"all", bench::fixed((lastWall - startWall) / 1000, 1), bench::fixed(lookoutRate, 0),
               bench::fixed(referenceRate, 0), bench::fixed(ratio, 2)});
    table.print();

    std::size_t records = lookout.recordCount();
    if (records != 1)
        std::printf("warning: %zu records while nothing changed (expected only the first)\n",
                    records);
    bench::printFigure("idle_cpu_lookout", lookoutRate, "ms/min", 0);
    bench::printFigure("idle_cpu_reference", referenceRate, "ms/min", 0);
    bench::printFigure("idle_cpu_ratio", ratio, "x");
    bench::printTarget("idle_cpu_ratio <= " + bench::fixed(kTargetRatio, 1) + " x",
                       ratio > 0 && ratio <= kTargetRatio);
    lookout.stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return bench::runGuarded(argc, argv, run); }
