// demo.exe: plays a short scripted desktop of our own test windows while the real Lookout.exe
// runs, and prints every record Lookout writes as it arrives. Each step says what it does, acts
// on the windows and waits (with a deadline) for the records it should produce; the records are
// checked byte for byte. At the end Lookout is stopped with Ctrl+C.
//
// The script is a table of steps (see buildScript): a new kind of window is one more test
// process or window in the stage and one more row with the records it should give.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "demo_props.h"
#include "e2e/driver.h"

namespace {

// How long a step may take to produce its records. A switch shows within a few poll rounds
// of 10 ms and a title change within about a second; the margins are for a loaded machine.
constexpr DWORD kSwitchDeadlineMs = 5000;
constexpr DWORD kTitleDeadlineMs = 5000;
// How long the title-change window stays as it is before its title changes, so that the
// change is clearly seen by the once-a-second title check and not by a window switch.
constexpr DWORD kTitleHoldMs = 1500;
// How long the echo thread waits for a new record before it looks for partial bytes again.
constexpr DWORD kEchoWakeMs = 20;
// Lookout's exit code after Ctrl+C.
constexpr DWORD kCtrlCExitCode = 1;

constexpr char kVersionDescription[] = "Lookout Test Window";  // testwin_ver.rc
constexpr char kNoDescription[] = "-";
constexpr char kDesktop[] = "Desktop";

enum ExitCode { kPassed = 0, kFailed = 1, kCannotRun = 2 };

enum class View { Readable, Raw };

const char kUsage[] =
    "Usage: demo.exe [--raw] [--help]\n"
    "\n"
    "Plays a scripted desktop of test windows while the real Lookout.exe runs, and prints\n"
    "every record Lookout writes to its standard output as it arrives. Lines starting with\n"
    "\"--\" say what the next step does.\n"
    "\n"
    "  (default)  one line per record: [kind] field 1 | field 2 | field 3\n"
    "             (an empty field shows as \"(empty)\")\n"
    "  --raw      the bytes as they come from the pipe: each \"raw:\" line holds what\n"
    "             arrived since the line before, so the lines joined give the whole stream\n"
    "  --help     this text\n"
    "\n"
    "In both views \"$\" and the other printable ASCII characters are shown as they are.\n"
    "The line feed that ends each record is shown as <LF>; any other byte below 20 hex,\n"
    "7F and the bytes above it (texts are ANSI code page bytes) as <XX> in hex, and \"<\"\n"
    "itself as <3C>. Every record is checked byte for byte against what its step should\n"
    "give; lines marked !! show what differed.\n"
    "\n"
    "Exit code: 0 when every expected record arrived as expected, nothing else arrived and\n"
    "Lookout ended with code 1 after Ctrl+C; 1 otherwise; 2 for a bad argument or when the\n"
    "demo itself could not run.\n";

// ---- Output ----

// Everything the demo prints goes through here, from the script and from the echo thread,
// so that lines never mix. Flushed at once: the demo's output is usually a pipe.
class Console {
public:
    void line(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::fputs((text + "\n").c_str(), stdout);
        std::fflush(stdout);
    }

private:
    std::mutex mutex_;
};

// Makes record bytes safe and unambiguous on one terminal line (see kUsage).
std::string visible(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes) {
        if (c == '\n') {
            text += "<LF>";
        } else if (c < 0x20 || c >= 0x7F || c == '<') {
            text += '<';
            text += digits[c >> 4];
            text += digits[c & 15];
            text += '>';
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

std::string readableField(const std::string& field) {
    return field.empty() ? "(empty)" : visible(field);
}

// One record as a line: "[app ] path | description | title".
std::string readableRecord(const std::string& record) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t dollar; (dollar = record.find('$', start)) != std::string::npos;
         start = dollar + 1)
        items.push_back(record.substr(start, dollar - start));
    if (items.size() != 5) return "[????] " + visible(record);
    std::string kind = items[0];
    if (kind.size() < 4) kind.resize(4, ' ');
    std::string text = "[" + visible(kind) + "] " + readableField(items[1]) + " | " +
                       readableField(items[2]) + " | " + readableField(items[3]);
    if (items[4] != "\n") text += "   (does not end in $<LF>$: " + visible(items[4]) + ")";
    return text;
}

// Shows what arrives on Lookout's standard output, from a thread of its own so that records
// appear when they come, expected or not. The script calls catchUp() before it prints its
// next line, so that a step's records are always shown under that step.
class RecordEcho {
public:
    RecordEcho(Console& console, View view) : console_(console), view_(view) {}
    ~RecordEcho() { stop(); }
    RecordEcho(const RecordEcho&) = delete;
    RecordEcho& operator=(const RecordEcho&) = delete;

    void start(e2e::Lookout& lookout) {
        lookout_ = &lookout;
        thread_ = std::thread([this] { run(); });
    }

    // Shows everything that has arrived and is not shown yet.
    void catchUp() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!lookout_) return;
        const std::string output = lookout_->output();
        if (view_ == View::Raw) {
            if (output.size() > shownBytes_) {
                console_.line("   raw: " + visible(output.substr(shownBytes_)));
                shownBytes_ = output.size();
                shownRecords_ = e2e::splitRecords(output).size();
            }
            return;
        }
        const std::vector<std::string> records = e2e::splitRecords(output);
        for (; shownRecords_ < records.size(); ++shownRecords_) {
            console_.line("   " + readableRecord(records[shownRecords_]));
            shownBytes_ += records[shownRecords_].size();
        }
    }

    // Ends the thread, shows what is left (a partial record included) and lets go of the
    // Lookout, which may be destroyed afterwards. Later calls do nothing.
    void stop() {
        stopping_ = true;
        if (thread_.joinable()) thread_.join();
        catchUp();
        std::lock_guard<std::mutex> lock(mutex_);
        if (lookout_ && view_ == View::Readable) {
            const std::string output = lookout_->output();
            if (output.size() > shownBytes_) {
                console_.line("   [part] " + visible(output.substr(shownBytes_)));
                shownBytes_ = output.size();
            }
        }
        lookout_ = nullptr;
    }

private:
    void run() {
        while (!stopping_) {
            std::size_t next;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                next = shownRecords_ + 1;
            }
            // Returns as soon as a new record is whole, or after a short while so that the raw
            // view shows a record's bytes even if only part of it has come.
            lookout_->waitForRecords(next, kEchoWakeMs);
            catchUp();
            if (lookout_->outputClosed()) break;
        }
    }

    Console& console_;
    const View view_;
    e2e::Lookout* lookout_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::size_t shownRecords_ = 0;
    std::size_t shownBytes_ = 0;
};

// ---- The stage: Lookout and the test window processes ----

class Stage {
public:
    Stage(Console& console, View view) : console_(console), echo_(console, view) {}
    ~Stage() { echo_.stop(); }

    // The test window process of that executable, started on first use.
    e2e::TestWindows& process(const std::string& exeName,
                              const std::vector<std::string>& args = {}) {
        std::unique_ptr<e2e::TestWindows>& slot = processes_[exeName];
        if (!slot) slot = std::make_unique<e2e::TestWindows>(exeName, args);
        return *slot;
    }

    // The tree player serving a tree file of tests/trees as a browser, started on first use of
    // `key`, with texts of the file replaced (e2e::TreePlayer).
    e2e::TestWindows& player(const std::string& key, const std::string& treeFile,
                             const std::string& executable,
                             const std::vector<std::pair<std::string, std::string>>& texts) {
        std::unique_ptr<e2e::TestWindows>& slot = processes_[key];
        if (!slot) slot = std::make_unique<e2e::TreePlayer>(treeFile, executable, texts);
        return *slot;
    }

    // A browser's DDE server, up from now until the demo ends.
    void serveDde(const std::string& switches) {
        ddeServers_.push_back(std::make_unique<demo::DdeServer>(switches));
    }

    // Ends the DDE servers and waits for them: no browser answers over DDE from then on.
    void endDdeServers() { ddeServers_.clear(); }

    demo::JavaApplication& java(const std::string& command) {
        if (!java_) java_ = std::make_unique<demo::JavaApplication>(command);
        return *java_;
    }

    void startLookout() {
        lookout_ = std::make_unique<e2e::Lookout>();
        console_.line("   Lookout.exe runs as " + lookout_->exePath());
        echo_.start(*lookout_);
    }

    e2e::Lookout* lookout() { return lookout_.get(); }
    RecordEcho& echo() { return echo_; }

private:
    Console& console_;
    std::map<std::string, std::unique_ptr<e2e::TestWindows>> processes_;
    std::vector<std::unique_ptr<demo::DdeServer>> ddeServers_;
    std::unique_ptr<demo::JavaApplication> java_;
    std::unique_ptr<e2e::Lookout> lookout_;
    RecordEcho echo_;  // last, so that it is gone before the Lookout it reads
};

// ---- The script ----

struct Step {
    std::string says;                  // printed before the step runs
    std::function<void()> act;
    std::vector<std::string> expect;   // the records the step must add, in order
    DWORD deadlineMs = kSwitchDeadlineMs;
    DWORD holdMs = 0;                  // a wait before acting, where the wait is the point
};

// All windows are created hidden before Lookout starts; only the steps bring them to the front
// (a window created visible would be activated at once and give a stray switch).
std::vector<Step> buildScript(Stage& stage) {
    e2e::TestWindows& withVersion = stage.process("testwin_ver.exe");
    e2e::TestWindows& plain = stage.process("testwin_plain.exe");
    const std::string versionPath = withVersion.exePath();
    const std::string plainPath = plain.exePath();

    const std::string writerTitle = "Report.txt - Writer";
    const std::string sketchTitle = "Untitled - Sketch";
    const std::string desktopTitle = "Program Manager";
    const std::string invoiceTitle = "Invoice $120 - Editor";
    const std::string invoiceRetitle = "Invoice $125 (edited) - Editor";

    HWND writer = withVersion.create("DemoWriter", writerTitle);
    HWND sketch = plain.create("DemoSketch", sketchTitle);
    HWND desktop = withVersion.create("Progman", desktopTitle);
    HWND invoice = withVersion.create("DemoEditor", invoiceTitle);
    HWND blank = plain.create("DemoBlank", "");

    // An Internet Explorer-like frame: the address is the Edit beside the address toolbar.
    const std::string ieTitle = "Example Domain - Internet Explorer";
    const std::string ieAddress = "http://example.com/";
    HWND ieFrame = withVersion.create("IEFrame", ieTitle);
    HWND rebar = withVersion.createChild(ieFrame, "ReBarWindow32", "");
    withVersion.createChild(rebar, "ToolbarWindow32", "Links");
    HWND band = withVersion.createChild(ieFrame, "DemoAddressBand", "");
    withVersion.createChild(band, "ToolbarWindow32", "Address Combo Control");
    HWND combo = withVersion.createChild(band, "ComboBoxEx32", "");
    withVersion.createChild(combo, "Edit", ieAddress);

    // A Chromium-like frame: the address is the omnibox's text.
    const std::string chromeTitle = "Example - Chrome";
    const std::string chromeAddress = "https://example.org/?price=$5";
    HWND chrome = plain.create("Chrome_WidgetWin_1", chromeTitle);
    HWND view = plain.createChild(chrome, "DemoBrowserView", "");
    plain.createChild(view, "Chrome_RenderWidgetHostHWND", "Chrome Legacy Window");
    plain.createChild(view, "Chrome_OmniboxView", chromeAddress);

    // A Firefox-like window whose accessibility tree shows the address.
    const std::string firefoxTitle = "Example Domain - Mozilla Firefox";
    const std::string firefoxAddress = "https://www.example.org/";
    e2e::TestWindows& firefox =
        stage.player("firefox", "firefox_good.json", "", {{"http://good.test/", firefoxAddress}});
    HWND firefoxWindow = firefox.create("MozillaWindowClass", firefoxTitle);

    // A Firefox-like window without an accessible address: the browser is asked over DDE, and
    // its reply gives both the address and the title.
    HWND ddeFirefox = plain.create("MozillaWindowClass", "Firefox (asked over DDE)");
    stage.serveDde("--app FireFox --url http://dde.example/news --title \"News (from DDE)\"");
    HWND opera = plain.create("OperaWindowClass", "Opera window");
    stage.serveDde("--app Opera --url http://opera.example/ --title \"Opera page (from DDE)\"");

    // Today's browsers: the tree player under their executable names. The
    // Chromium-family ones show the address without "https://", as those browsers do.
    const std::string chromeTodayTitle = "News - Google Chrome";
    e2e::TestWindows& chromeToday =
        stage.player("chrome", "chromium.json", "", {{"x.org/?$1", "example.com/news"}});
    HWND chromeTodayWindow = chromeToday.create("Chrome_WidgetWin_1", chromeTodayTitle);
    const std::string edgeTitle = "Nachrichten - Microsoft Edge";
    e2e::TestWindows& edge = stage.player("edge", "chromium_german.json", "",
                                          {{"beispiel.de", "beispiel.de/nachrichten"}});
    HWND edgeWindow = edge.create("Chrome_WidgetWin_1", edgeTitle);
    const std::string codeTitle = "main.cpp - Visual Studio Code";
    e2e::TestWindows& code =
        stage.player("code", "chromium.json", "Code.exe", {{"x.org/?$1", "example.com"}});
    HWND codeWindow = code.create("Chrome_WidgetWin_1", codeTitle);
    // Current Firefox answers no DDE query; the stand-in's DDE servers are ended first, or the
    // FireFox one would answer for this window too.
    const std::string firefoxTodayTitle = "Today - Mozilla Firefox";
    const std::string firefoxTodayAddress = "https://www.example.org/today";
    e2e::TestWindows& firefoxToday = stage.player("firefox-today", "firefox_today.json", "",
                                                  {{"http://x.org/", firefoxTodayAddress}});
    HWND firefoxTodayWindow = firefoxToday.create("MozillaWindowClass", firefoxTodayTitle);

    // A Java application: javaw.exe is named after the command in its performance data.
    const std::string javaCommand = "com.example.Inventory --store 42";
    e2e::TestWindows& java = stage.java(javaCommand).windows();
    HWND javaWindow = java.create("SunAwtFrame", "Inventory");

    // A Chromium-based application without an omnibox stays an ordinary application.
    const std::string electronTitle = "An Electron application";
    HWND electron = plain.create("Chrome_WidgetWin_1", electronTitle);
    plain.createChild(electron, "Chrome_RenderWidgetHostHWND", "");

    using e2e::appRecord;
    using e2e::siteRecord;
    std::vector<Step> script = {
        {"Bring an application with a version resource (testwin_ver.exe) to the front; "
         "Lookout is not running yet",
         [&withVersion, writer] { withVersion.show(writer); },
         {}},
        {"Start Lookout: it reports the window that is already in front",
         [&stage] { stage.startLookout(); },
         {appRecord(versionPath, kVersionDescription, writerTitle)}},
        {"Switch to an application without a version resource (testwin_plain.exe): "
         "its description is \"-\"",
         [&plain, sketch] { plain.show(sketch); },
         {appRecord(plainPath, kNoDescription, sketchTitle)}},
        {"Switch to the desktop (a window of class Progman): path and description are "
         "\"Desktop\"",
         [&withVersion, desktop] { withVersion.show(desktop); },
         {appRecord(kDesktop, kDesktop, desktopTitle)}},
        {"Switch to a window titled \"" + invoiceTitle + "\": every \"$\" in a field arrives "
         "as \"S\"",
         [&withVersion, invoice] { withVersion.show(invoice); },
         {appRecord(versionPath, kVersionDescription, "Invoice S120 - Editor")}},
        {"Leave it in front for 1.5 s, then change its title to \"" + invoiceRetitle +
             "\": the title check (once a second) reports it",
         [&withVersion, invoice, invoiceRetitle] { withVersion.retitle(invoice, invoiceRetitle); },
         {appRecord(versionPath, kVersionDescription, "Invoice S125 (edited) - Editor")},
         kTitleDeadlineMs,
         kTitleHoldMs},
        {"Switch to a window with an empty title: the record ends in $$<LF>$",
         [&plain, blank] { plain.show(blank); },
         {appRecord(plainPath, kNoDescription, "")}},
        {"Switch to an Internet Explorer-like window: a site record with the address from the "
         "edit beside its address toolbar",
         [&withVersion, ieFrame] { withVersion.show(ieFrame); },
         {siteRecord(ieAddress, ieTitle, versionPath)}},
        {"Switch to a Chromium-like window: a site record with the omnibox's address",
         [&plain, chrome] { plain.show(chrome); },
         {siteRecord("https://example.org/?price=S5", chromeTitle, plainPath)}},
        {"Switch to a Chromium-based window without an omnibox: an application record",
         [&plain, electron] { plain.show(electron); },
         {appRecord(plainPath, kNoDescription, electronTitle)}},
        {"Switch to a Firefox-like window: the address comes from its accessibility tree",
         [&firefox, firefoxWindow] { firefox.show(firefoxWindow); },
         {siteRecord(firefoxAddress, firefoxTitle, firefox.exePath())}},
        {"Switch to a Firefox-like window without an accessible address: asked over DDE, the "
         "browser's reply gives address and title",
         [&plain, ddeFirefox] { plain.show(ddeFirefox); },
         {siteRecord("http://dde.example/news", "News (from DDE)", plainPath)}},
        {"Switch to an Opera window: asked over DDE under the name \"Opera\"",
         [&plain, opera] { plain.show(opera); },
         {siteRecord("http://opera.example/", "Opera page (from DDE)", plainPath)}},
        {"Switch to a Chrome window of today (chrome.exe, no omnibox window): the address field "
         "in its accessibility tree, as shown, without \"https://\"",
         [&chromeToday, chromeTodayWindow] { chromeToday.show(chromeTodayWindow); },
         {siteRecord("example.com/news", chromeTodayTitle, chromeToday.exePath())}},
        {"Switch to an Edge window in German (msedge.exe): the field is found by its shortcut "
         "\"Strg+L\"",
         [&edge, edgeWindow] { edge.show(edgeWindow); },
         {siteRecord("beispiel.de/nachrichten", edgeTitle, edge.exePath())}},
        {"Switch to an Electron application (Code.exe) with the same frame and tree: an "
         "application record",
         [&code, codeWindow] { code.show(codeWindow); },
         {appRecord(code.exePath(), kNoDescription, codeTitle)}},
        {"End the DDE servers and switch to a current Firefox (firefox.exe): no DDE answer, the "
         "text in its address combo box",
         [&stage, &firefoxToday, firefoxTodayWindow] {
             stage.endDdeServers();
             firefoxToday.show(firefoxTodayWindow);
         },
         {siteRecord(firefoxTodayAddress, firefoxTodayTitle, firefoxToday.exePath())}},
        {"Switch to a Java application (javaw.exe): the record names the Java command",
         [&java, javaWindow] { java.show(javaWindow); },
         {appRecord(javaCommand, kVersionDescription, "Inventory")}},
        {"Back to the first application",
         [&withVersion, writer] { withVersion.show(writer); },
         {appRecord(versionPath, kVersionDescription, writerTitle)}},
    };
    return script;
}

// ---- Running it ----

class Runner {
public:
    Runner(Console& console, Stage& stage) : console_(console), stage_(stage) {}

    // Runs the steps in order; stops at the first that does not give what it should, since
    // later records could no longer be matched to their steps.
    bool run(const std::vector<Step>& script) {
        for (std::size_t i = 0; i < script.size(); ++i)
            if (!runStep(i + 1, script[i])) return false;
        return true;
    }

    // Stops Lookout with Ctrl+C and checks its exit code and the whole stream.
    bool stop(bool everyStepRan) {
        e2e::Lookout* lookout = stage_.lookout();
        if (!lookout) return false;
        stage_.echo().catchUp();
        console_.line("");
        console_.line("-- Stop Lookout with Ctrl+C");
        const DWORD code = lookout->stopWithCtrlC();
        stage_.echo().stop();
        bool ok = true;
        if (code == STILL_ACTIVE) {
            console_.line("   !! Lookout did not end after Ctrl+C");
            return false;
        }
        console_.line("   Lookout exit code: " + std::to_string(code));
        if (code != kCtrlCExitCode) {
            console_.line("   !! expected exit code " + std::to_string(kCtrlCExitCode));
            ok = false;
        }
        const std::string output = lookout->output();
        if (everyStepRan && output != expectedStream_) {
            console_.line("   !! the whole output differs from the expected records");
            console_.line("      expected: " + visible(expectedStream_));
            console_.line("      got:      " + visible(output));
            ok = false;
        }
        return ok;
    }

    std::size_t expectedRecords() const { return expectedCount_; }

private:
    bool runStep(std::size_t number, const Step& step) {
        stage_.echo().catchUp();
        console_.line("");
        console_.line("-- " + std::to_string(number) + ". " + step.says);
        if (step.holdMs > 0) Sleep(step.holdMs);
        const ULONGLONG started = GetTickCount64();
        try {
            step.act();
        } catch (const std::exception& error) {
            console_.line(std::string("   !! ") + error.what());
            return false;
        }
        if (step.expect.empty()) return true;

        e2e::Lookout* lookout = stage_.lookout();
        if (!lookout) {
            console_.line("   !! this step expects records but Lookout is not running");
            return false;
        }
        const std::size_t total = expectedCount_ + step.expect.size();
        const bool arrived = lookout->waitForRecords(total, step.deadlineMs);
        const ULONGLONG took = GetTickCount64() - started;
        stage_.echo().catchUp();
        const std::vector<std::string> records = lookout->records();
        bool ok = true;
        for (std::size_t i = 0; i < step.expect.size(); ++i) {
            const std::size_t index = expectedCount_ + i;
            const std::string& expected = step.expect[i];
            if (index >= records.size()) {
                console_.line("   !! no record within " + std::to_string(step.deadlineMs) +
                              " ms; expected: " + visible(expected));
                ok = false;
            } else if (records[index] != expected) {
                console_.line("   !! expected: " + visible(expected));
                console_.line("      got:      " + visible(records[index]));
                ok = false;
            }
            expectedStream_ += expected;
        }
        expectedCount_ = total;
        if (!arrived && lookout->outputClosed())
            console_.line("   !! Lookout's output has ended: Lookout is no longer running");
        if (ok && arrived) console_.line("   ok, after " + std::to_string(took) + " ms");
        return ok && arrived;
    }

    Console& console_;
    Stage& stage_;
    std::size_t expectedCount_ = 0;
    std::string expectedStream_;
};

int runDemo(View view) {
    Console console;
    console.line("Lookout demo: the real Lookout.exe watches a scripted desktop of test windows.");
    console.line(view == View::Raw ? "Showing the raw bytes of its output as they arrive."
                                   : "Showing each record of its output as it arrives.");
    Stage stage(console, view);
    std::vector<Step> script = buildScript(stage);
    Runner runner(console, stage);
    const bool stepsOk = runner.run(script);
    const bool stopOk = runner.stop(stepsOk);
    console.line("");
    if (stepsOk && stopOk) {
        console.line("Demo passed: all " + std::to_string(runner.expectedRecords()) +
                     " records arrived as expected.");
        return kPassed;
    }
    console.line("Demo FAILED (see the lines marked !!).");
    return kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain LF line ends, also when the output goes to a Unix pipe or file under Wine.
    _setmode(_fileno(stdout), _O_BINARY);
    View view = View::Readable;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--raw") == 0) {
            view = View::Raw;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 ||
                   std::strcmp(argv[i], "/?") == 0) {
            std::fputs(kUsage, stdout);
            return kPassed;
        } else {
            std::fprintf(stderr, "demo: unknown argument \"%s\"\n\n%s", argv[i], kUsage);
            return kCannotRun;
        }
    }
    try {
        return runDemo(view);
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "demo: %s\n", error.what());
        return kCannotRun;
    }
}
