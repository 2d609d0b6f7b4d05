// Long run: many foreground switches across 20 windows of every kind (applications, the
// desktop, Internet Explorer-like, Chromium-like, Firefox-like by its accessibility tree and by
// DDE, Opera by DDE, Java). Each switch waits only for its record, which must repeat, byte for
// byte, the first record of its window. Lookout's handles, private bytes, windows, threads and
// the global atom table with its reference counts are read at checkpoints; the atoms a DDE
// conversation uses are counted again once every process of the run has ended.
//   bench_soak.exe [--switches N] [--checkpoint N]
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "common/clock.h"
#include "common/desktop.h"
#include "common/lookout_process.h"
#include "common/options.h"
#include "common/process_probe.h"
#include "common/stats.h"
#include "common/switching.h"
#include "e2e/driver.h"

namespace {

constexpr DWORD kRecordDeadlineMs = 10000;
// Flat means: less than one handle, and less than 64 bytes of private memory per switch on
// average, for every thousand switches along the fitted line. Under Wine each thread of the
// process holds about a megabyte of private memory, and threads of Wine's own come and go with
// the work (two to five here), so private memory is compared between checkpoints with the same
// number of threads.
constexpr double kFlatHandlesPer1000 = 1;
constexpr double kFlatPrivateKbPer1000 = 64;
const char* const kDdeAtomNames[] = {"Opera", "FireFox", "WWW_GetWindowInfo", "0xFFFFFFFF"};

// The Firefox-like windows come to the front a quarter as often as the others: their
// accessibility walk costs some 0.3 s a switch under Wine, and the run must fit its time.
constexpr double kFirefoxWeight = 0.25;

struct SoakWindow {
    HWND window;
    std::string kind;  // for the latency table
    double weight = 1;
};

struct Checkpoint {
    int switches;
    double elapsedS;
    bench::ProcessFigures figures;
    std::map<unsigned, bench::AtomEntry> atoms;
    double cpuS;
};

long totalReferences(const std::map<unsigned, bench::AtomEntry>& atoms) {
    long total = 0;
    for (const auto& entry : atoms) total += std::max(0L, entry.second.references);
    return total;
}

// Every window of the run and the processes that own them.
class Scene {
public:
    Scene() {
        auto& main = add(std::make_unique<e2e::TestWindows>("testwin_ver.exe"));
        for (int i = 1; i <= 3; ++i) app(main, "Application " + std::to_string(i));
        desktop(main, "Progman", "Program Manager");
        desktop(main, "WorkerW", "");
        auto& plain = add(std::make_unique<e2e::TestWindows>("testwin_plain.exe"));
        for (int i = 1; i <= 2; ++i) app(plain, "Plain application " + std::to_string(i));
        for (const char* exe : {"testwin_two.exe", "testwin_259.exe", "testwin_300.exe"})
            app(add(std::make_unique<e2e::TestWindows>(exe)), std::string("Window of ") + exe);

        auto& browsers = add(std::make_unique<e2e::TestWindows>("testwin_ver.exe"));
        for (int i = 1; i <= 2; ++i) {
            std::string url = "http://ie.example/" + std::to_string(i);
            site(browsers, bench::createIeLikeWindow(browsers, "Explorer " + std::to_string(i), url),
                 "Internet Explorer-like", url, "Explorer " + std::to_string(i));
        }
        site(browsers, bench::createChromiumLikeWindow(browsers, "Chrome page", "chrome.example/"),
             "Chromium-like", "chrome.example/", "Chrome page");
        site(browsers,
             bench::createChromiumLikeWindow(browsers, "Yandex page", "yandex.example/",
                                             "YandexBrowser_OmniboxView"),
             "Chromium-like", "yandex.example/", "Yandex page");
        operaServer_ = std::make_unique<bench::DdeServerProcess>(
            "--app Opera --url http://opera.example/ --title \"Opera reply\"");
        for (int i = 1; i <= 2; ++i)
            site(browsers, browsers.create("OperaWindowClass", "Opera " + std::to_string(i)),
                 "Opera by DDE", "http://opera.example/", "Opera reply");

        auto& firefox = add(std::make_unique<e2e::TreePlayer>(
            "firefox_good.json", "firefox.exe",
            std::vector<std::pair<std::string, std::string>>{
                {"http://good.test/", "http://firefox.example/"}}));
        site(firefox, firefox.create("MozillaWindowClass", "Firefox page"),
             "Firefox-like, tree", "http://firefox.example/", "Firefox page", kFirefoxWeight);
        // No address in its tree, nor a combo box in a toolbar that would make it a current
        // Firefox's (a Chromium tree, played as firefox.exe): the address comes from the FireFox
        // DDE server instead.
        firefoxServer_ = std::make_unique<bench::DdeServerProcess>(
            "--url http://firefox-dde.example/ --title \"Firefox reply\"");
        auto& noAddress = add(std::make_unique<e2e::TreePlayer>("chromium.json", "firefox.exe"));
        site(noAddress, noAddress.create("MozillaUIWindowClass", "Firefox without address"),
             "Firefox-like, DDE", "http://firefox-dde.example/", "Firefox reply", kFirefoxWeight);

        java_ = std::make_unique<bench::JavaLikeProcess>("com.example.Soak --long");
        for (int i = 1; i <= 2; ++i) {
            HWND window = java_->windows().create("BenchJava", "Java " + std::to_string(i));
            java_->windows().show(window);
            windows_.push_back({window, "Java", 1});
            check_.expect(window, "app", "com.example.Soak --long", "Java " + std::to_string(i));
        }
    }

    const std::vector<SoakWindow>& windows() const { return windows_; }
    bench::RecordCheck& check() { return check_; }

private:
    e2e::TestWindows& add(std::unique_ptr<e2e::TestWindows> process) {
        processes_.push_back(std::move(process));
        return *processes_.back();
    }
    void app(e2e::TestWindows& process, const std::string& title) {
        HWND window = process.create("BenchSoakApp", title);
        process.show(window);
        windows_.push_back({window, "application", 1});
        check_.expect(window, "app", process.exePath(), title);
    }
    void desktop(e2e::TestWindows& process, const std::string& className, const std::string& title) {
        HWND window = process.create(className, title);
        process.show(window);
        windows_.push_back({window, "desktop", 1});
        check_.expect(window, "app", "Desktop", title);
    }
    void site(e2e::TestWindows& process, HWND window, const std::string& kind,
              const std::string& url, const std::string& title, double weight = 1) {
        process.show(window);
        windows_.push_back({window, kind, weight});
        check_.expect(window, "site", url, title);
    }

    // Declared first, ended last: the servers outlive the windows they answer for.
    std::unique_ptr<bench::DdeServerProcess> operaServer_, firefoxServer_;
    std::vector<std::unique_ptr<e2e::TestWindows>> processes_;
    std::unique_ptr<bench::JavaLikeProcess> java_;
    std::vector<SoakWindow> windows_;
    bench::RecordCheck check_;
};

std::string kb(long long bytes) { return bytes < 0 ? "n/a" : std::to_string(bytes / 1024); }
std::string number(long value) { return value < 0 ? "n/a" : std::to_string(value); }

Checkpoint readCheckpoint(int switches, double startMs, const bench::LookoutProcess& lookout,
                          long unixPid) {
    Checkpoint point;
    point.switches = switches;
    point.elapsedS = (bench::nowMs() - startMs) / 1000;
    point.figures = bench::readProcessFigures(lookout.process(), lookout.pid(), unixPid);
    point.atoms = bench::globalAtoms();
    point.cpuS = bench::unixCpuMs(unixPid) / 1000;
    return point;
}

std::map<std::string, long> ddeAtomReferences() {
    std::map<std::string, long> references;
    for (const char* name : kDdeAtomNames) references[name] = bench::atomReferences(name);
    return references;
}

int run(const bench::Options& options) {
    const int switches = options.number("--switches", 10000);
    const int every = std::max(1, options.number("--checkpoint", 1000));

    // The atoms a DDE conversation uses, before anything of the run has started.
    std::map<std::string, long> referencesBefore = ddeAtomReferences();

    std::vector<Checkpoint> checkpoints;
    std::map<std::string, std::vector<double>> latencies;
    std::size_t missing = 0, extra = 0, malformed = 0;
    std::string firstFault;
    DWORD exitCode = 0;
    std::string leftOver;
    double soakSeconds = 0;
    std::size_t faults = 0;
    {
        Scene scene;
        const auto& windows = scene.windows();
        bench::LookoutProcess lookout;
        if (!lookout.waitForRecords(1, kRecordDeadlineMs)) {
            std::printf("error: Lookout did not report the window in front\n");
            return 1;
        }
        scene.check().check(windows.back().window, lookout.record(0).text);
        long unixPid = bench::unixPidOf(lookout.token());

        // One pass over every window first: what a window's first report sets up (the DDE
        // match of a browser window, the run-time's buffers) is in place before the figures.
        std::size_t current = windows.size() - 1;
        for (std::size_t index = 0; index < windows.size(); ++index) {
            bench::SwitchResult result = bench::switchTo(lookout, windows[index].window,
                                                         kRecordDeadlineMs);
            if (!result.arrived) {
                std::printf("error: no record for the %s window in the first pass\n",
                            windows[index].kind.c_str());
                return 1;
            }
            scene.check().check(windows[index].window, result.record);
            current = index;
        }
        std::size_t expectedRecords = 1 + windows.size();

        double start = bench::nowMs();
        checkpoints.push_back(readCheckpoint(0, start, lookout, unixPid));
        std::mt19937 random(20240601);
        std::vector<double> weights;
        for (const SoakWindow& window : windows) weights.push_back(window.weight);
        std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
        for (int done = 1; done <= switches; ++done) {
            std::size_t next;
            do next = pick(random);
            while (next == current);
            current = next;
            const SoakWindow& target = windows[current];
            bench::SwitchResult result = bench::switchTo(lookout, target.window, kRecordDeadlineMs);
            if (!result.arrived) {
                ++missing;
                std::printf("error: no record within %u ms at switch %d (%s)\n",
                            static_cast<unsigned>(kRecordDeadlineMs), done, target.kind.c_str());
                break;
            }
            ++expectedRecords;
            scene.check().check(target.window, result.record);
            latencies[target.kind].push_back(result.latencyMs);
            if (done % every == 0 || done == switches) {
                checkpoints.push_back(readCheckpoint(done, start, lookout, unixPid));
                std::printf("  ... %d switches, %.0f s\n", done, checkpoints.back().elapsedS);
                std::fflush(stdout);
            }
        }
        soakSeconds = (bench::nowMs() - start) / 1000;
        exitCode = lookout.stop();
        for (const bench::TimedRecord& record : lookout.records())
            malformed += !bench::isWellFormedRecord(record.text);
        std::size_t total = lookout.recordCount();
        extra = total > expectedRecords ? total - expectedRecords : 0;
        leftOver = lookout.pending();
        faults = scene.check().faults();
        firstFault = scene.check().firstFault();
    }
    // Every process of the run has ended: references that remain were left behind.
    std::map<std::string, long> referencesAfter = ddeAtomReferences();

    bench::Table trend("Long run: Lookout at each checkpoint",
                       {"switches", "time s", "handles", "private KB", "working set KB",
                        "windows", "threads", "USER", "GDI", "atoms", "atom refs", "CPU s"});
    for (const Checkpoint& point : checkpoints)
        trend.add({std::to_string(point.switches), bench::fixed(point.elapsedS, 0),
                   number(point.figures.handles), kb(point.figures.privateBytes),
                   kb(point.figures.workingSet), number(point.figures.windows),
                   number(point.figures.threads), number(point.figures.userObjects),
                   number(point.figures.gdiObjects), std::to_string(point.atoms.size()),
                   std::to_string(totalReferences(point.atoms)),
                   bench::fixed(point.cpuS, 1)});
    trend.print();

    bench::Table byKind("Long run: switch latency by window kind, ms",
                        {"kind", "switches", "p50", "p95", "max"});
    std::size_t done = 0;
    for (const auto& [kind, samples] : latencies) {
        bench::Summary summary = bench::summarize(samples);
        done += summary.count;
        byKind.add({kind, std::to_string(summary.count), bench::fixed(summary.p50, 1),
                    bench::fixed(summary.p95, 1), bench::fixed(summary.max, 1)});
    }
    byKind.print();

    const Checkpoint& first = checkpoints.front();
    const Checkpoint& last = checkpoints.back();
    std::string grownAtoms;
    long atomsAdded = bench::atomReferencesAdded(first.atoms, last.atoms, grownAtoms);
    std::printf("global atom references added during the switches: %s\n",
                grownAtoms.empty() ? "none" : grownAtoms.c_str());
    long atomsLeft = 0;
    std::string leftNames;
    for (const auto& [name, after] : referencesAfter) {
        long added = after - referencesBefore[name];
        if (added <= 0) continue;
        atomsLeft += added;
        leftNames += " " + name + "(+" + std::to_string(added) + ")";
    }
    std::printf("DDE atom references left after every process ended:%s\n",
                leftNames.empty() ? " none" : leftNames.c_str());

    // Growth is fitted from the first checkpoint after the start: what the first thousand
    // switches build once (Wine's marshalling and thread state among it) is not growth that goes
    // on with the switches. The fit over every checkpoint is printed beside it.
    std::vector<double> x, handles, privateKb;
    std::vector<long> threads;
    for (const Checkpoint& point : checkpoints) {
        x.push_back(point.switches / 1000.0);
        handles.push_back(static_cast<double>(point.figures.handles));
        privateKb.push_back(static_cast<double>(point.figures.privateBytes) / 1024);
        threads.push_back(point.figures.threads);
    }
    auto fromSecond = [&](const auto& values) {
        using Values = std::decay_t<decltype(values)>;
        return values.size() > 2 ? Values(values.begin() + 1, values.end()) : values;
    };
    double handleSlope = bench::slope(fromSecond(x), fromSecond(handles));
    double privateSlope =
        bench::slopeWithinGroups(fromSecond(x), fromSecond(privateKb), fromSecond(threads));
    double privateSlopeAll = bench::slopeWithinGroups(x, privateKb, threads);
    bool flat = std::abs(handleSlope) < kFlatHandlesPer1000 && privateSlope < kFlatPrivateKbPer1000 &&
                last.figures.windows == first.figures.windows && atomsAdded == 0 && atomsLeft == 0;
    std::size_t wrong = faults + malformed + extra + missing;
    if (!leftOver.empty()) ++wrong;
    if (faults > 0) std::printf("first wrong record: %s\n", firstFault.c_str());
    if (!leftOver.empty()) std::printf("output ended inside a record: %s\n", leftOver.c_str());
    if (exitCode != 1) std::printf("Lookout's exit code after Ctrl+C: %u (expected 1)\n",
                                   static_cast<unsigned>(exitCode));
    if (first.figures.userObjects < 0)
        std::printf("USER and GDI objects: not available (GetGuiResources is not implemented by "
                    "Wine); the window count stands in for USER objects\n");

    bench::printFigure("soak_switches", static_cast<double>(done), "switches", 0);
    bench::printFigure("soak_seconds", soakSeconds, "s", 0);
    bench::printFigure("soak_records_wrong", static_cast<double>(wrong), "records", 0);
    bench::printFigure("soak_handles_before", first.figures.handles, "handles", 0);
    bench::printFigure("soak_handles_after", last.figures.handles, "handles", 0);
    bench::printFigure("soak_handles_per_1000", handleSlope, "handles");
    bench::printFigure("soak_private_before", static_cast<double>(first.figures.privateBytes) / 1024,
                       "KB", 0);
    bench::printFigure("soak_private_after", static_cast<double>(last.figures.privateBytes) / 1024,
                       "KB", 0);
    bench::printFigure("soak_private_per_1000", privateSlope, "KB");
    bench::printFigure("soak_private_per_1000_from_start", privateSlopeAll, "KB");
    bench::printFigure("soak_windows_growth", last.figures.windows - first.figures.windows,
                       "windows", 0);
    if (first.figures.userObjects >= 0) {
        bench::printFigure("soak_user_growth", last.figures.userObjects - first.figures.userObjects,
                           "objects", 0);
        bench::printFigure("soak_gdi_growth", last.figures.gdiObjects - first.figures.gdiObjects,
                           "objects", 0);
    }
    bench::printFigure("soak_atoms_added", static_cast<double>(atomsAdded), "references", 0);
    bench::printFigure("soak_dde_atoms_left", static_cast<double>(atomsLeft), "references", 0);
    bench::printFigure("soak_cpu_per_switch",
                       done ? (last.cpuS - first.cpuS) * 1000 / static_cast<double>(done) : 0,
                       "ms");
    bench::printTarget("soak flat (handles < " + bench::fixed(kFlatHandlesPer1000, 0) +
                           " and private < " + bench::fixed(kFlatPrivateKbPer1000, 0) +
                           " KB per 1000 switches, no windows or atoms left)",
                       flat);
    bench::printTarget("soak every record well-formed and right", wrong == 0);
    return flat && wrong == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return bench::runGuarded(argc, argv, run); }
