// DDE soak: queries to Firefox-like and Opera-like windows answered by DDE servers that misbehave
// in turn (late answers, blocks the server keeps, blocks too large to deliver, conversations
// ended and begun again under new windows, answers from windows that are then destroyed,
// refusals posted during the broadcast, acknowledgements sent where they must be posted, floods
// of unrequested data and request messages). Every record must be the window's site record with
// the address of the server of its own kind, or its application record. Lookout's private bytes
// and the global atom references of the DDE names are read after each phase.
//   bench_dde_soak.exe [--queries N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/desktop.h"
#include "common/lookout_process.h"
#include "common/options.h"
#include "common/process_probe.h"
#include "common/stats.h"
#include "common/switching.h"
#include "e2e/driver.h"

namespace {

constexpr DWORD kRecordDeadlineMs = 10000;
// Flat: less private memory added over the whole run than one Wine thread holds.
constexpr double kFlatPrivateKb = 1024;
const char kDescription[] = "Lookout Test Window";
const char* const kAtomNames[] = {"Opera", "FireFox", "WWW_GetWindowInfo", "0xFFFFFFFF",
                                  "LookoutSharedAtom"};

struct Phase {
    const char* name;
    const char* firefox;  // the FireFox server's switches
    const char* opera;    // the Opera server's switches
};

// One phase per way of misbehaving; each runs for its share of the queries.
const Phase kPhases[] = {
    {"well-behaved", "", ""},
    {"late once", "--late-once 1500", "--late-once 1500"},
    {"100 KB blocks the server keeps", "--no-release --block-size 100000",
     "--no-ackreq --no-release --block-size 100000"},
    {"conversations ended and begun anew", "--renew", "--renew"},
    {"answers from windows then destroyed", "--ack-from-gone", ""},
    {"refusals, also during broadcasts", "--nack", "--nack-others"},
    {"acknowledgements sent, not posted", "--sent-ack", ""},
    {"floods of data and request messages", "--flood 2000", ""},
    // Last: Wine keeps about twice the block of every message it cannot deliver in the
    // receiving process, and the item atom reference it held, beyond any receiver's reach.
    {"4 MB blocks", "", "--block-size 4000000"},
};

struct Browser {
    HWND window;
    std::string kind;  // "FireFox" or "Opera"
    std::string title;
};

std::map<std::string, long> ddeAtomReferences() {
    std::map<std::string, long> references;
    for (const char* name : kAtomNames) references[name] = bench::atomReferences(name);
    return references;
}

long referencesAdded(const std::map<std::string, long>& before,
                     const std::map<std::string, long>& after, std::string& names) {
    long added = 0;
    for (const auto& [name, count] : after) {
        long more = count - before.at(name);
        if (more == 0) continue;
        added += more;
        names += " " + name + "(" + (more > 0 ? "+" : "") + std::to_string(more) + ")";
    }
    return added;
}

std::string url(const std::string& kind, const Phase& phase) {
    return "http://" + kind + "-" + std::to_string(&phase - kPhases) + ".test/";
}

std::unique_ptr<bench::DdeServerProcess> server(const std::string& kind, const Phase& phase,
                                                const char* switches) {
    return std::make_unique<bench::DdeServerProcess>(
        "--app " + kind + " --url " + url(kind, phase) + " --title Reply " + switches);
}

int run(const bench::Options& options) {
    const int queries = std::max(1, options.number("--queries", 500));
    const int phases = static_cast<int>(std::size(kPhases));
    std::map<std::string, long> atomsBefore = ddeAtomReferences();

    e2e::TestWindows windows("testwin_ver.exe");
    std::vector<Browser> browsers = {
        {windows.create("MozillaWindowClass", "Firefox one"), "FireFox", "Firefox one"},
        {windows.create("MozillaWindowClass", "Firefox two"), "FireFox", "Firefox two"},
        {windows.create("OperaWindowClass", "Opera one"), "Opera", "Opera one"}};
    HWND plain = windows.create("BenchDdePlain", "Plain");
    windows.show(plain);
    for (const Browser& browser : browsers) windows.show(browser.window);
    windows.show(plain);

    bench::LookoutProcess lookout;
    if (!lookout.waitForRecords(1, kRecordDeadlineMs)) {
        std::printf("error: Lookout did not report the window in front\n");
        return 1;
    }
    long unixPid = bench::unixPidOf(lookout.token());
    // Figures at the end of each phase, once its servers have ended: what the DDE names still
    // hold then, Lookout holds (or nobody does).
    std::vector<bench::ProcessFigures> figures;
    std::vector<std::map<std::string, long>> atoms;

    bench::Table table("DDE soak: queries by phase",
                       {"phase", "queries", "site", "app", "wrong", "ms p50", "ms max",
                        "private KB after", "threads", "atom refs after"});
    int done = 0, wrong = 0;
    std::string firstWrong;
    for (int index = 0; index < phases; ++index) {
        const Phase& phase = kPhases[index];
        auto firefoxServer = server("FireFox", phase, phase.firefox);
        auto operaServer = server("Opera", phase, phase.opera);
        int share = queries * (index + 1) / phases - queries * index / phases;
        int sites = 0, apps = 0, faults = 0;
        std::vector<double> latencies;
        for (int query = 0; query < share; ++query, ++done) {
            const Browser& browser = browsers[done % browsers.size()];
            bench::SwitchResult result = bench::switchTo(lookout, browser.window, kRecordDeadlineMs);
            std::string site = e2e::siteRecord(url(browser.kind, phase), "Reply", windows.exePath());
            std::string app = e2e::appRecord(windows.exePath(), kDescription, browser.title);
            latencies.push_back(result.latencyMs);
            sites += result.record == site;
            apps += result.record == app;
            if (result.record != site && result.record != app) {
                ++faults;
                if (firstWrong.empty())
                    firstWrong = std::string(phase.name) + ": " +
                                 (result.arrived ? result.record : "no record");
            }
        }
        firefoxServer.reset();
        operaServer.reset();
        figures.push_back(bench::readProcessFigures(lookout.process(), lookout.pid(), unixPid));
        atoms.push_back(ddeAtomReferences());
        long references = 0;
        for (const auto& entry : atoms.back()) references += entry.second;
        bench::Summary summary = bench::summarize(latencies);
        table.add({phase.name, std::to_string(share), std::to_string(sites), std::to_string(apps),
                   std::to_string(faults), bench::fixed(summary.p50, 1),
                   bench::fixed(summary.max, 1),
                   std::to_string(figures.back().privateBytes / 1024),
                   std::to_string(figures.back().threads), std::to_string(references)});
        wrong += faults;
    }
    DWORD exitCode = lookout.stop();
    table.print();

    // Judged from the end of the well-behaved phase, which sets up what first queries set up
    // once, to the end of the last phase before the 4 MB blocks; that phase is shown apart.
    const bench::ProcessFigures& first = figures.front();
    const bench::ProcessFigures& last = figures[phases - 2];
    std::string heldNames, lostNames;
    long held = referencesAdded(atomsBefore, atoms[phases - 2], heldNames);
    long lostReferences = referencesAdded(atoms[phases - 2], atoms.back(), lostNames);
    std::printf("global atom references of the DDE names added before the 4 MB blocks:%s\n",
                heldNames.empty() ? " none" : heldNames.c_str());
    std::printf("... added by the 4 MB blocks Wine could not deliver:%s\n",
                lostNames.empty() ? " none" : lostNames.c_str());
    if (!firstWrong.empty()) std::printf("first wrong record: %s\n", firstWrong.c_str());
    if (exitCode != 1)
        std::printf("Lookout's exit code after Ctrl+C: %u (expected 1)\n",
                    static_cast<unsigned>(exitCode));

    double growthKb = static_cast<double>(last.privateBytes - first.privateBytes) / 1024;
    bench::printFigure("dde_soak_queries", done, "queries", 0);
    bench::printFigure("dde_soak_records_wrong", wrong, "records", 0);
    bench::printFigure("dde_soak_private_before", static_cast<double>(first.privateBytes) / 1024,
                       "KB", 0);
    bench::printFigure("dde_soak_private_after", static_cast<double>(last.privateBytes) / 1024,
                       "KB", 0);
    bench::printFigure("dde_soak_private_growth", growthKb, "KB", 0);
    bench::printFigure("dde_soak_threads_before", first.threads, "threads", 0);
    bench::printFigure("dde_soak_threads_after", last.threads, "threads", 0);
    bench::printFigure("dde_soak_atom_references_held", held, "references", 0);
    bench::printFigure("dde_soak_undeliverable_private_growth",
                       static_cast<double>(figures.back().privateBytes - last.privateBytes) / 1024,
                       "KB", 0);
    bench::printFigure("dde_soak_undeliverable_atom_references", lostReferences, "references", 0);
    bool flat = growthKb < kFlatPrivateKb && held == 0;
    bench::printTarget("dde soak flat (private growth < " + bench::fixed(kFlatPrivateKb, 0) +
                           " KB, no atom references held)",
                       flat);
    bench::printTarget("dde soak every record right", wrong == 0 && exitCode == 1);
    return flat && wrong == 0 && exitCode == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return bench::runGuarded(argc, argv, run); }
