// Identification and browser address costs: the time of one new-window report, made in this
// process by Lookout's own monitor step (process, image path, long path, version resource,
// title, classification, address reader, record) against windows of other processes, and of
// identification alone for a known and for a new process. The record goes to NUL; the step's
// result is checked against what each window must give.
//   bench_report.exe [--reports N] [--firefox-reports N] [--dde-first N] [--today-first N]
//                    [--new-processes N]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/monitor_loop.h"
#include "browser/classify.h"
#include "browser/msaa_tree.h"
#include "common/clock.h"
#include "common/desktop.h"
#include "common/options.h"
#include "common/stats.h"
#include "dde/dde_dispatch.h"
#include "e2e/driver.h"
#include "tree_file.h"
#include "util/record_sink.h"
#include "winfo/module_info.h"
#include "winfo/version_info.h"
#include "winfo/window_query.h"

#include <objbase.h>

namespace {

constexpr int kWarmupReports = 3;
// Today's browsers: a window's first report walks a tree far larger than the older browsers';
// the next reports of the window read the element found then.
constexpr double kFirstTodayTargetMs = 1000;
constexpr double kRepeatTodayTargetMs = 50;
// Calls on the tree of a first report of a window with 100 tabs and 40 bookmarks.
constexpr std::size_t kChromiumTabsCallsTarget = 60;
constexpr std::size_t kFirefoxTabsCallsTarget = 100;

struct Measured {
    std::string label;
    std::string figure;  // figure name prefix; empty for rows shown only in the table
    std::vector<double> samples;
    std::size_t wrong = 0;
    double targetMs = 0;  // the p95 is judged against it when set
};

// Records written to a file (NUL) as each report makes them.
class FileSink : public lookout::RecordSink {
public:
    explicit FileSink(std::FILE* file) : file_(file) {}
    void write(std::string bytes) override {
        std::fwrite(bytes.data(), 1, bytes.size(), file_);
        std::fflush(file_);
    }

private:
    std::FILE* file_;
};

// What the report's record must be, given the state the report leaves and the record.
using Expected = std::function<bool(const MonitorState&, const std::string& record)>;

class ReportBench : lookout::RecordSink {
public:
    explicit ReportBench(lookout::RecordSink& out) : out_(out) {
        state_.ddeWindow = startDDEDispatchLoop();
    }
    HWND ddeWindow() const { return state_.ddeWindow; }

    // One new-window report of `window`, as the loop makes it when the window comes to the front;
    // true when it gave what `isRight` expects of the state it leaves.
    // The report is over when its record has been written: a browser's address is read on a
    // thread of its own.
    double report(HWND window, const Expected& isRight, bool& right) {
        state_.lastWindow = nullptr;
        double start = bench::nowMs();
        runNewWindowSteps(state_, window, GetTickCount64());
        state_.reports.writeReady(GetTickCount64(), *this);
        while (!state_.reports.empty()) {
            state_.reads.waitForPoll(kPollIntervalMs);
            state_.reports.writeReady(GetTickCount64(), *this);
        }
        double elapsed = bench::nowMs() - start;
        right = isRight(state_, lastRecord_);
        return elapsed;
    }

    Measured repeat(const std::string& label, const std::string& figure, HWND window, int count,
                    const Expected& isRight) {
        Measured measured{label, figure, {}, 0};
        for (int index = 0; index < kWarmupReports + count; ++index) {
            bool right = false;
            double elapsed = report(window, isRight, right);
            if (index < kWarmupReports) continue;
            measured.samples.push_back(elapsed);
            measured.wrong += !right;
        }
        return measured;
    }

private:
    void write(std::string bytes) override {
        lastRecord_ = bytes;
        out_.write(std::move(bytes));
    }

    lookout::RecordSink& out_;
    MonitorState state_;
    std::string lastRecord_;
};

Measured timeCall(const std::string& label, int count, const std::function<void()>& call) {
    Measured measured{label, "", {}, 0};
    for (int index = 0; index < kWarmupReports + count; ++index) {
        double start = bench::nowMs();
        call();
        if (index >= kWarmupReports) measured.samples.push_back(bench::nowMs() - start);
    }
    return measured;
}

Expected appTitled(const std::string& title) {
    return [title](const MonitorState& state, const std::string&) {
        return state.appIsCurrent && state.app.title == title;
    };
}

Expected siteAt(const std::string& url) {
    return [url](const MonitorState&, const std::string& record) {
        const std::vector<std::string> items = e2e::recordItems(record);
        return items.size() == 5 && items[0] == "site" && items[1] == url;
    };
}

// Today's browsers: a 150-object tree served by another process, the tree player under the
// browser's executable name. A first report is one of a window not reported before (a
// new window each time, so nothing is kept for it), a repeat report one of the window reported
// just before. The stand-in counts the calls made on its tree; each row notes the calls of its
// last report.
struct TodayBrowser {
    std::string label;
    std::string figure;
    std::string tree;  // a file of tests/trees
    std::string frameClass;
    std::string address;
    std::size_t firstCallsTarget = 0;  // judged when set
};

std::size_t treeCalls(e2e::TestWindows& browser) {
    return std::stoul(browser.command("calls").substr(std::strlen("calls ")));
}

std::vector<Measured> measureToday(ReportBench& bench, const TodayBrowser& browser, int firsts,
                                   int repeats, std::size_t calls[2]) {
    e2e::TreePlayer process(browser.tree);
    Measured first{browser.label + ", first report", browser.figure + "_first", {}, 0,
                   kFirstTodayTargetMs};
    for (int index = 0; index < firsts; ++index) {
        HWND window = process.create(browser.frameClass, "First " + std::to_string(index));
        const std::size_t before = treeCalls(process);
        bool right = false;
        first.samples.push_back(bench.report(window, siteAt(browser.address), right));
        first.wrong += !right;
        calls[0] = treeCalls(process) - before;
        process.destroy(window);
    }
    HWND window = process.create(browser.frameClass, "Repeated");
    bool right = false;
    bench.report(window, siteAt(browser.address), right);  // finds the address element
    Measured repeat = bench.repeat(browser.label + ", repeat report", browser.figure + "_repeat",
                                   window, repeats, siteAt(browser.address));
    repeat.wrong += !right;
    repeat.targetMs = kRepeatTodayTargetMs;
    const std::size_t before = treeCalls(process);
    bench.report(window, siteAt(browser.address), right);
    calls[1] = treeCalls(process) - before;
    return {std::move(first), std::move(repeat)};
}

void printMeasured(const std::string& title, const std::vector<Measured>& rows) {
    bench::Table table(title, {"report", "count", "min", "p50", "p95", "max", "wrong"});
    for (const Measured& row : rows) {
        bench::Summary summary = bench::summarize(row.samples);
        table.add({row.label, std::to_string(summary.count), bench::fixed(summary.min, 2),
                   bench::fixed(summary.p50, 2), bench::fixed(summary.p95, 2),
                   bench::fixed(summary.max, 2), std::to_string(row.wrong)});
    }
    table.print();
}

void printFigures(const std::vector<Measured>& rows) {
    for (const Measured& row : rows) {
        if (row.figure.empty()) continue;
        bench::Summary summary = bench::summarize(row.samples);
        bench::printFigure(row.figure + "_p50", summary.p50, "ms");
        bench::printFigure(row.figure + "_p95", summary.p95, "ms");
    }
}

int run(const bench::Options& options) {
    // As in Lookout's main thread: the accessibility walk needs COM.
    if (FAILED(CoInitialize(nullptr))) std::printf("warning: COM did not start\n");
    const int reports = options.number("--reports", 200);
    const int ddeFirst = options.number("--dde-first", 40);
    const int firefoxReports = options.number("--firefox-reports", 40);
    const int todayFirst = options.number("--today-first", 20);
    const int newProcesses = options.number("--new-processes", 20);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen("NUL", "wb"), std::fclose);
    if (!out) {
        std::printf("error: cannot open NUL\n");
        return 1;
    }
    FileSink sink(out.get());
    ReportBench bench(sink);
    if (!bench.ddeWindow()) std::printf("warning: no DDE window; DDE queries will fail\n");

    // Applications: with a version resource, without one, and with two translations.
    e2e::TestWindows withVersion("testwin_ver.exe");
    e2e::TestWindows plain("testwin_plain.exe");
    e2e::TestWindows browsers("testwin_ver.exe");
    HWND versioned = withVersion.create("BenchIdentify", "Identify me");
    HWND unversioned = plain.create("BenchIdentify", "Identify me too");

    std::vector<Measured> identification;
    Measured application{"application (both)", "identify_app", {}, 0};
    for (auto* part : {&versioned, &unversioned}) {
        const char* label = part == &versioned ? "  with a version resource" : "  without one";
        Measured one = bench.repeat(label, "", *part, reports / 2,
                                    appTitled(part == &versioned ? "Identify me" : "Identify me too"));
        application.samples.insert(application.samples.end(), one.samples.begin(), one.samples.end());
        application.wrong += one.wrong;
        identification.push_back(std::move(one));
    }
    identification.insert(identification.begin(), std::move(application));
    // A javaw.exe window adds the look-up of its command in the performance-data file.
    bench::JavaLikeProcess java("com.example.BenchMain --soak");
    HWND javaWindow = java.windows().create("BenchJava", "Java window");
    identification.push_back(
        bench.repeat("javaw.exe (Java command)", "identify_java", javaWindow, reports / 2,
                     [](const MonitorState& state, const std::string&) {
                         return state.appIsCurrent &&
                                state.app.modulePath == "com.example.BenchMain --soak";
                     }));

    // Identification alone: of a window of a process seen before, and of each of new processes.
    DWORD processId = withVersion.pid();
    const std::string exe = withVersion.exePath();
    AppRecord app;
    Measured knownProcess{"GetModuleInfo, known process", "identify_known", {}, 0};
    for (int index = 0; index < kWarmupReports + reports; ++index) {
        double start = bench::nowMs();
        DWORD result = GetModuleInfo(processId, versioned, app);
        double elapsed = bench::nowMs() - start;
        if (index < kWarmupReports) continue;
        knownProcess.samples.push_back(elapsed);
        knownProcess.wrong += result != 0 || app.modulePath != exe || app.title != "Identify me";
    }
    identification.push_back(std::move(knownProcess));
    Measured fresh{"GetModuleInfo, new process", "identify_new", {}, 0};
    for (int index = 0; index < newProcesses; ++index) {
        e2e::TestWindows process("testwin_ver.exe");
        HWND window = process.create("BenchIdentifyNew", "New process");
        double start = bench::nowMs();
        DWORD result = GetModuleInfo(process.pid(), window, app);
        fresh.samples.push_back(bench::nowMs() - start);
        fresh.wrong += result != 0 || app.modulePath != exe || app.title != "New process";
    }
    identification.push_back(std::move(fresh));

    // Where an application's report spends its time, call by call.
    const std::wstring wideExe(exe.begin(), exe.end());  // the build folder's path is ASCII
    std::vector<Measured> parts;
    parts.push_back(timeCall("GetModuleInfo", reports / 2,
                             [&] { GetModuleInfo(processId, versioned, app); }));
    parts.push_back(timeCall("  GetVersionInfo", reports / 2, [&] { GetVersionInfo(wideExe); }));
    parts.push_back(timeCall("  GetWindowClassName", reports / 2,
                             [&] { GetWindowClassName(versioned); }));
    parts.push_back(timeCall("  GetWindowTitle", reports / 2, [&] { GetWindowTitle(versioned); }));
    parts.push_back(timeCall("isBrowserWindow", reports / 2, [&] { isBrowserWindow(versioned); }));
    // The system calls underneath, as Wine serves them.
    parts.push_back(timeCall("  (OpenProcess, GetProcessTimes)", reports / 2, [&] {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        FILETIME created, exited, kernel, user;
        if (process) GetProcessTimes(process, &created, &exited, &kernel, &user);
        if (process) CloseHandle(process);
    }));
    parts.push_back(timeCall("  (QueryFullProcessImageNameW)", reports / 2, [&] {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        std::wstring path(32768, L'\0');
        DWORD size = 32768;
        if (process) QueryFullProcessImageNameW(process, 0, &path[0], &size);
        if (process) CloseHandle(process);
    }));
    parts.push_back(timeCall("  (GetLongPathNameW)", reports / 2, [&] {
        std::wstring longPath(32768, L'\0');
        GetLongPathNameW(wideExe.c_str(), &longPath[0], 32768);
    }));
    parts.push_back(timeCall("  (GetFileVersionInfoSizeW)", reports / 2, [&] {
        DWORD handle = 0;
        GetFileVersionInfoSizeW(wideExe.c_str(), &handle);
    }));
    parts.push_back(timeCall("SendAppRecord", reports / 2, [&] { SendAppRecord(app, sink); }));

    // Browsers: each reader on a window shaped as it expects.
    std::vector<Measured> addresses;
    HWND ie = bench::createIeLikeWindow(browsers, "Explorer page", "http://ie.example/page");
    addresses.push_back(bench.repeat("Internet Explorer-like", "browser_ie", ie, reports,
                                     siteAt("http://ie.example/page")));
    HWND chrome = bench::createChromiumLikeWindow(browsers, "Chromium page", "chromium.example/");
    addresses.push_back(bench.repeat("Chromium-like", "browser_chromium", chrome, reports,
                                     siteAt("chromium.example/")));

    // Firefox-like: the walk of a 50-object tree served by another process, and the same walk
    // on the same tree in this process, where it costs no marshalling, counting its calls.
    const std::string firefoxAddress = "http://firefox.example/page";
    e2e::TreePlayer firefox("bench_firefox.json");
    HWND firefoxWindow = firefox.create("MozillaWindowClass", "Firefox page");
    addresses.push_back(bench.repeat("Firefox-like, 50-object tree", "browser_firefox",
                                     firefoxWindow, firefoxReports, siteAt(firefoxAddress)));
    msaa_test::CallCounts treeCalls;
    msaa_test::TreeFile localTree(e2e::binPath("trees\\bench_firefox.json"), &treeCalls);
    msaa_test::Node window("window");  // as the tree player's window object holds the tree
    msaa_test::Node titleBar("titlebar");
    window.role(ROLE_SYSTEM_WINDOW).countInto(&treeCalls, "window");
    window.addById(titleBar.role(ROLE_SYSTEM_TITLEBAR).countInto(&treeCalls, "window/1"))
        .add(localTree.root())
        .addSimple();
    std::size_t callsPerWalk = 0;
    Measured local{"  the same walk in-process", "", {}, 0};
    for (int index = 0; index < kWarmupReports + reports; ++index) {
        const long before = treeCalls.total;
        std::string address;
        double start = bench::nowMs();
        walkFirefoxTree(&window, false, address);
        double elapsed = bench::nowMs() - start;
        callsPerWalk = static_cast<std::size_t>(treeCalls.total - before);
        if (index < kWarmupReports) continue;
        local.samples.push_back(elapsed);
        local.wrong += address != firefoxAddress;
    }
    addresses.push_back(std::move(local));

    // Today's browsers, whose readers keep the address element found for the next report.
    const TodayBrowser today[] = {
        {"Chromium today", "browser_chromium_today", "bench_chromium_today.json",
         "Chrome_WidgetWin_1", "example.org/today"},
        {"Firefox today (no DDE)", "browser_firefox_today", "bench_firefox_today.json",
         "MozillaWindowClass", "https://example.org/today"},
        {"Chromium, 100 tabs, 40 bookmarks", "browser_chromium_100tabs",
         "bench_chromium_tabs.json", "Chrome_WidgetWin_1", "example.org/tabs",
         kChromiumTabsCallsTarget},
        {"Firefox 2026, 100 tabs, 40 bookmarks", "browser_firefox_100tabs",
         "bench_firefox_tabs.json", "MozillaWindowClass", "example.org/tabs",
         kFirefoxTabsCallsTarget},
    };
    std::vector<Measured> todayRows;
    std::vector<std::string> todayNotes;
    std::vector<std::pair<std::string, bool>> callTargets;
    for (const TodayBrowser& browser : today) {
        std::size_t calls[2] = {0, 0};
        for (Measured& row : measureToday(bench, browser, todayFirst, firefoxReports, calls))
            todayRows.push_back(std::move(row));
        todayNotes.push_back(browser.figure + "_first_calls " + std::to_string(calls[0]));
        todayNotes.push_back(browser.figure + "_repeat_calls " + std::to_string(calls[1]));
        if (browser.firstCallsTarget > 0)
            callTargets.push_back({browser.figure + "_first_calls at most " +
                                       std::to_string(browser.firstCallsTarget),
                                   calls[0] <= browser.firstCallsTarget});
    }

    // DDE: the first query for a window broadcasts an initiate to every top-level window; later
    // queries for it go straight to the server matched then.
    bench::DdeServerProcess opera("--app Opera --url http://opera.example/ --title Opera");
    long topLevel = bench::topLevelWindowCount();
    Measured first{"DDE, first query (broadcast)", "browser_dde_first", {}, 0};
    for (int index = 0; index < ddeFirst; ++index) {
        HWND window = browsers.create("OperaWindowClass", "Opera " + std::to_string(index));
        bool right = false;
        first.samples.push_back(bench.report(window, siteAt("http://opera.example/"), right));
        first.wrong += !right;
        browsers.destroy(window);
    }
    addresses.push_back(std::move(first));
    HWND known = browsers.create("OperaWindowClass", "Opera known");
    addresses.push_back(bench.repeat("DDE, known window", "browser_dde_known", known, reports,
                                     siteAt("http://opera.example/")));

    printMeasured("Identification cost: one new-window report of an application, ms",
                  identification);
    printMeasured("Identification cost: the calls of an application's report, ms", parts);
    printMeasured("Browser address cost: one new-window report of a browser window, ms",
                  addresses);
    std::printf("(the Firefox-like walk makes %zu calls on the tree's objects; %ld top-level "
                "windows on the desktop during the DDE broadcasts)\n",
                callsPerWalk, topLevel);
    printMeasured("Browser address cost of today's browsers, 150-object trees and windows of 100 "
                  "tabs, ms", todayRows);
    std::printf("(calls made on the tree by one report, counted by the browser stand-in)\n");
    printFigures(identification);
    printFigures(addresses);
    printFigures(todayRows);
    for (const std::string& note : todayNotes) std::printf("%s calls\n", note.c_str());
    for (const Measured& row : todayRows) {
        if (row.targetMs <= 0) continue;
        bench::printTarget(row.figure + " p95 under " + bench::fixed(row.targetMs, 0) + " ms",
                           bench::summarize(row.samples).p95 < row.targetMs);
    }
    for (const auto& target : callTargets) bench::printTarget(target.first, target.second);

    std::size_t wrong = 0;
    for (const auto* rows : {&identification, &addresses, &todayRows})
        for (const Measured& row : *rows) wrong += row.wrong;
    if (wrong > 0) std::printf("error: %zu reports did not give what their window shows\n", wrong);
    return wrong == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return bench::runGuarded(argc, argv, run); }
