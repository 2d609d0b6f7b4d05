// Browsers answered over DDE: the real Lookout.exe against DDE servers in processes of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;
using e2e::siteRecord;

const char kDescription[] = "Lookout Test Window";

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

std::size_t traces(const std::string& log, const std::string& name) {
    return countOf(log, ">>>> Function: " + name + "\r\n");
}

// The atoms of a conversation: all of them must be gone once it is over.
bool ddeAtomsLeft() {
    for (const char* name : {"0xFFFFFFFF", "FireFox", "Opera", "WWW_GetWindowInfo"})
        if (GlobalFindAtomA(name)) return true;
    return false;
}

// One tests/programs/dde_server.exe and the events it reports.
class DdeServer {
public:
    explicit DdeServer(const std::string& switches)
        : child_("\"" + e2e::binPath("dde_server.exe") + "\" " + switches, true) {
        std::string ready = readLine();
        unsigned long pid = 0;
        unsigned long long window = 0;
        if (std::sscanf(ready.c_str(), "ready %lu %llu", &pid, &window) != 2)
            throw std::runtime_error("dde server: " + ready);
        window_ = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
    }
    ~DdeServer() {
        DWORD written = 0;
        WriteFile(child_.stdinWrite(), "quit\n", 5, &written, nullptr);
        child_.waitForExit(e2e::kDefaultDeadlineMs);
    }

    HWND window() const { return window_; }

    // Every event so far. Once it returns, every message posted to the server before the call
    // has been handled, since the ping queues behind them.
    const std::vector<std::string>& eventsAfterPing() {
        DWORD written = 0;
        WriteFile(child_.stdinWrite(), "ping\n", 5, &written, nullptr);
        while (readEvent() != "pong") {
        }
        return events_;
    }
    std::size_t count(const std::string& event) {
        const auto& all = eventsAfterPing();
        return static_cast<std::size_t>(std::count(all.begin(), all.end(), event));
    }
    // Waits for the first event that begins with `prefix` and returns it.
    std::string waitForEventStartingWith(const std::string& prefix) {
        for (std::size_t seen = 0;; ++seen) {
            while (seen >= events_.size()) readEvent();
            if (events_[seen].rfind(prefix, 0) == 0) return events_[seen];
        }
    }
    // Waits until the event has been reported `times` times in all.
    void waitForEvent(const std::string& event, std::size_t times = 1) {
        while (static_cast<std::size_t>(std::count(events_.begin(), events_.end(), event)) < times)
            readEvent();
    }

private:
    std::string readEvent() {
        std::string line = readLine();
        if (line != "pong") events_.push_back(line);
        return line;
    }
    std::string readLine() {
        const ULONGLONG deadline = GetTickCount64() + e2e::kDefaultDeadlineMs;
        for (;;) {
            std::size_t newline = pending_.find('\n');
            if (newline != std::string::npos) {
                std::string line = pending_.substr(0, newline);
                pending_.erase(0, newline + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();  // text-mode stdout
                return line;
            }
            DWORD available = 0;
            if (!PeekNamedPipe(child_.stdoutRead(), nullptr, 0, nullptr, &available, nullptr))
                throw std::runtime_error("dde server ended");
            if (available > 0) {
                std::string chunk(available, '\0');
                DWORD read = 0;
                ReadFile(child_.stdoutRead(), &chunk[0], available, &read, nullptr);
                pending_.append(chunk, 0, read);
            } else if (GetTickCount64() > deadline) {
                throw std::runtime_error("dde server did not report");
            } else {
                Sleep(1);
            }
        }
    }

    e2e::ChildProcess child_;
    HWND window_ = nullptr;
    std::string pending_;
    std::vector<std::string> events_;
};

class Dde : public ::testing::Test {
protected:
    void SetUp() override {
        atomsAtStart = ddeAtomsLeft();
        plain = windows.create("LookoutDdePlain", "Plain");
        firefox = windows.create("MozillaWindowClass", "Window Title");
    }
    // Starts Lookout with its log, in front of the plain window, and waits for that record.
    void startLookout(const std::vector<std::string>& args = {"/debuglog"},
                      const std::string& folder = {}) {
        windows.show(plain);
        lookout = std::make_unique<e2e::Lookout>(args, folder);
        ASSERT_TRUE(lookout->waitForRecords(1));
        records = 1;
    }
    // Brings a window to the front and returns the record that follows.
    std::string showAndRecord(HWND window) {
        windows.show(window);
        if (!lookout->waitForRecords(++records)) return "(no record)";
        return lookout->records()[records - 1];
    }
    std::string log() const { return e2e::readFile(lookout->logPath()); }
    // The global atom table is the wineserver's, shared by every test of the run.
    void expectNoAtomsLeft(const char* what = "") const {
        if (atomsAtStart)
            ADD_FAILURE() << "DDE atoms were left in the table before this test began";
        else
            EXPECT_FALSE(ddeAtomsLeft()) << what;
    }
    std::string siteOf(const std::string& url, const std::string& title) const {
        return siteRecord(url, title, windows.exePath());
    }
    std::string appOf(const std::string& title) const {
        return appRecord(windows.exePath(), kDescription, title);
    }

    e2e::TestWindows windows{"testwin_ver.exe"};
    HWND plain = nullptr;
    HWND firefox = nullptr;
    std::unique_ptr<e2e::Lookout> lookout;
    std::size_t records = 0;
    bool atomsAtStart = false;
};

TEST_F(Dde, FirefoxIsAnsweredFromTheReplyAndMatchedToItsServerOnce) {
    DdeServer server("--url http://example.test/a$b --title \"Reply Title\"");
    startLookout();
    const std::string site = siteOf("http://example.test/aSb", "Reply Title");
    EXPECT_EQ(showAndRecord(firefox), site);
    EXPECT_EQ(showAndRecord(plain), appOf("Plain"));
    EXPECT_EQ(showAndRecord(firefox), site);

    std::string text = log();
    EXPECT_EQ(traces(text, "DDEServersList::sendBrowserDDEInit"), 1u) << text;
    EXPECT_EQ(traces(text, "DDEServersList::startDDERequest"), 2u);
    EXPECT_EQ(countOf(text, "Number of Acks: 1\r\n"), 1u);
    EXPECT_EQ(countOf(text, "Number of new Acks: 1\r\n"), 1u);
    EXPECT_EQ(countOf(text, "still alive-11:"), 2u);
    EXPECT_EQ(countOf(text, "still alive-20:"), 2u);
    EXPECT_EQ(server.count("initiate"), 1u);
    EXPECT_EQ(server.count("request 0xFFFFFFFF"), 2u);
    EXPECT_EQ(server.count("ack 8000"), 2u);
    expectNoAtomsLeft();
}

// With "/utf8" the reply's text of the code page arrives in UTF-8.
TEST_F(Dde, OperaWindowIsAnsweredByTheOperaServer) {
    HWND opera = windows.create("OperaWindowClass", "Opera Window");
    DdeServer firefoxServer("--url http://firefox.test/ --title Firefox");
    DdeServer operaServer("--app Opera --url http://opera.test/caf\xe9 --title \"Opera page\"");
    startLookout({"/debuglog", "/utf8"});
    EXPECT_EQ(showAndRecord(opera), siteOf("http://opera.test/caf\xc3\xa9", "Opera page"));
    EXPECT_EQ(firefoxServer.count("initiate"), 0u);
}

TEST_F(Dde, TwoAnsweringServersGiveNoMatchAndTheNextQueryBroadcastsAgain) {
    DdeServer first("--url http://first.test/");
    DdeServer second("--url http://second.test/");
    startLookout();
    EXPECT_EQ(showAndRecord(firefox), appOf("Window Title"));
    EXPECT_EQ(showAndRecord(plain), appOf("Plain"));
    EXPECT_EQ(showAndRecord(firefox), appOf("Window Title"));

    std::string text = log();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(
        text, match,
        std::regex(R"(Error: cannot set correspondence between browser window and DDE server!!! )"
                   R"(nAckedNewNum = 2, hDDEAckedNew = 0x([0-9A-Fa-f]+)\r\n)")))
        << text;
    HWND last = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::stoull(match[1], nullptr, 16)));
    EXPECT_TRUE(last == first.window() || last == second.window());
    EXPECT_EQ(traces(text, "DDEServersList::sendBrowserDDEInit"), 2u);
    EXPECT_EQ(traces(text, "DDEServersList::startDDERequest"), 0u);
    EXPECT_EQ(first.count("initiate"), 2u);
    EXPECT_EQ(second.count("initiate"), 2u);
    expectNoAtomsLeft("the servers' application and topic atoms");
}

TEST_F(Dde, AServerThatNeverSendsDataCostsOneSecondAndPollingGoesOn) {
    DdeServer server("--no-data");
    startLookout();
    ULONGLONG shown = GetTickCount64();
    EXPECT_EQ(showAndRecord(firefox), appOf("Window Title"));
    ULONGLONG elapsed = GetTickCount64() - shown;
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_EQ(showAndRecord(plain), appOf("Plain"));
    std::string text = log();
    EXPECT_EQ(countOf(text, "Error: the answer for DDE request cannot be obtained!!! res = 258\r\n"), 1u)
        << text;
    EXPECT_EQ(countOf(text, "Error: getBrowserUrl cannot obtain browser information\r\n"), 1u);
    EXPECT_EQ(countOf(text, "Browser processing FAILED\r\n"), 1u);
}

TEST_F(Dde, ANegativeAcknowledgementEndsTheQueryByTheTimeOut) {
    DdeServer server("--nack");
    startLookout();
    EXPECT_EQ(showAndRecord(firefox), appOf("Window Title"));
    std::string text = log();
    std::size_t request = text.find(">>>> Function: DDEServersList::startDDERequest");
    ASSERT_NE(request, std::string::npos);
    EXPECT_NE(text.find(">>>> Function: DDEServersList::onDDEAck", request), std::string::npos);
    EXPECT_NE(text.find("res = 258\r\n", request), std::string::npos);
    server.eventsAfterPing();
    expectNoAtomsLeft("the item atom of the negative acknowledgement");
}

TEST_F(Dde, DataWithoutAckReqOrReleaseIsNeitherAcknowledgedNorFreed) {
    DdeServer server("--no-ackreq --no-release --url http://quiet.test/ --title Quiet");
    startLookout();
    EXPECT_EQ(showAndRecord(firefox), siteOf("http://quiet.test/", "Quiet"));
    std::string text = log();
    EXPECT_EQ(countOf(text, "still alive-500:"), 1u);
    EXPECT_EQ(countOf(text, "still alive-11:"), 0u);
    EXPECT_EQ(countOf(text, "still alive-20:"), 0u);
    EXPECT_EQ(server.count("ack 8000"), 0u);
    expectNoAtomsLeft("the item atom, which no acknowledgement took back");
}

TEST_F(Dde, TextWithoutNulIsReadUpToTheEndOfTheBlock) {
    DdeServer server("--no-nul --url http://nonul.test/ --title \"No NUL\"");
    startLookout();
    EXPECT_EQ(showAndRecord(firefox), siteOf("http://nonul.test/", "No NUL"));
}

TEST_F(Dde, AHeaderOnlyBlockIsAnEmptyReplyWithoutWaiting) {
    // Nothing of the block lies after its header, not even a NUL.
    DdeServer server("--header-only");
    startLookout();
    ULONGLONG shown = GetTickCount64();
    EXPECT_EQ(showAndRecord(firefox), appOf("Window Title"));
    EXPECT_LT(GetTickCount64() - shown, 900u) << "no wait for the time-out";
    std::string text = log();
    EXPECT_EQ(countOf(text, "still alive-500:"), 1u) << text;
    EXPECT_EQ(countOf(text, "Error: getBrowserUrl cannot obtain browser information\r\n"), 1u);
    EXPECT_EQ(countOf(text, "res = "), 0u);
    EXPECT_EQ(server.count("ack 8000"), 1u);
}

TEST_F(Dde, ALateReplyAnswersNeitherAnotherServersRequestNorTheNextOne) {
    HWND opera = windows.create("OperaWindowClass", "Opera Window");
    DdeServer slow("--app Opera --delay 1300 --url http://late.test/ --title Late");
    DdeServer quick("--delay 400 --url http://quick.test/ --title Quick");
    startLookout();
    EXPECT_EQ(showAndRecord(opera), appOf("Opera Window")) << "the reply comes after 1000 ms";
    // The slow reply lands while this request waits for its own.
    EXPECT_EQ(showAndRecord(firefox), siteOf("http://quick.test/", "Quick"));
    slow.waitForEvent("data");
    slow.eventsAfterPing();
    // Stored late, it must not answer the next request at once.
    EXPECT_EQ(showAndRecord(opera), appOf("Opera Window"));
    std::string text = log();
    EXPECT_EQ(countOf(text, "res = 258\r\n"), 2u) << text;
    slow.waitForEvent("ack 8000", 2);  // the second late reply, acknowledged: its atom is back
    EXPECT_EQ(countOf(log(), "onDataRecv: no request waits for this reply: 0x"), 2u);
    expectNoAtomsLeft();
}

TEST_F(Dde, ALateAnswerIsNotTakenForTheNextRequestToTheSameServer) {
    // Firefox windows share one server, and the item asks for whichever window is current.
    HWND second = windows.create("MozillaWindowClass", "Second Window");
    DdeServer server("--late-once 1500 --numbered");
    startLookout();
    EXPECT_EQ(showAndRecord(firefox), appOf("Window Title"));
    // The first answer comes while the second request waits, just before its own answer.
    EXPECT_EQ(showAndRecord(second), siteOf("http://example.test/2", "Example"));
    server.waitForEvent("ack 8000", 2);
    expectNoAtomsLeft();
}

TEST_F(Dde, AnAcknowledgementSentOutsideTheInitiateFreesNothing) {
    // Its lParam holds a shared atom where the atoms of an initiate's answer would be.
    DdeServer server("--sent-ack");
    startLookout();
    EXPECT_EQ(showAndRecord(firefox), appOf("Window Title"));
    EXPECT_EQ(server.waitForEventStartingWith("shared atom"), "shared atom kept");
}

TEST_F(Dde, AReplyTooLargeToDeliverLeavesTheDdeClientWorking) {
    HWND opera = windows.create("OperaWindowClass", "Opera Window");
    DdeServer firefoxServer("--url http://firefox.test/ --title Firefox");
    DdeServer operaServer("--app Opera --block-size 4000000");
    startLookout();
    const std::string site = siteOf("http://firefox.test/", "Firefox");
    EXPECT_EQ(showAndRecord(firefox), site);
    EXPECT_EQ(showAndRecord(opera), appOf("Opera Window")) << "Wine drops a block that large";
    ULONGLONG shown = GetTickCount64();
    EXPECT_EQ(showAndRecord(firefox), site);
    EXPECT_LT(GetTickCount64() - shown, 900u);
    EXPECT_EQ(countOf(log(), "Error: a message of the DDE window was lost: error "), 1u);
    // The lost message held the item atom the server handed back: that reference is nobody's.
    GlobalDeleteAtom(GlobalFindAtomA("0xFFFFFFFF"));
    expectNoAtomsLeft();
}

TEST_F(Dde, AnAcknowledgementPostedDuringTheBroadcastIsNoServer) {
    // An Opera server's refusal, posted while the broadcast for "FireFox" runs.
    DdeServer opera("--app Opera --nack-others --url http://opera.test/");
    startLookout();
    EXPECT_EQ(showAndRecord(firefox), appOf("Window Title"));
    EXPECT_EQ(countOf(log(), "nAckedNewNum = 0, hDDEAckedNew = 0x"), 1u);
}

TEST_F(Dde, AServerThatEndsItsConversationIsAnsweredAndFoundUnderItsNewWindow) {
    DdeServer server("--renew --numbered");
    startLookout();
    EXPECT_EQ(showAndRecord(firefox), siteOf("http://example.test/1", "Example"));
    server.waitForEvent("terminate answered");
    EXPECT_EQ(showAndRecord(plain), appOf("Plain"));
    EXPECT_EQ(showAndRecord(firefox), siteOf("http://example.test/2", "Example"));
    EXPECT_EQ(traces(log(), "DDEServersList::sendBrowserDDEInit"), 2u);
    server.waitForEvent("terminate answered", 2);
    expectNoAtomsLeft();
}

TEST_F(Dde, AServerWindowThatIsGoneFailsTheQueryAtOnceAndIsNotKept) {
    DdeServer server("--ack-from-gone");
    startLookout();
    for (int query = 0; query < 2; ++query) {
        ULONGLONG shown = GetTickCount64();
        EXPECT_EQ(showAndRecord(firefox), appOf("Window Title"));
        EXPECT_LT(GetTickCount64() - shown, 900u) << "no wait for the time-out";
        EXPECT_EQ(showAndRecord(plain), appOf("Plain"));
    }
    std::string text = log();
    EXPECT_EQ(countOf(text, "Error: the DDE request cannot be posted to server 0x"), 2u) << text;
    EXPECT_EQ(traces(text, "DDEServersList::sendBrowserDDEInit"), 2u);
    expectNoAtomsLeft();
}

TEST_F(Dde, FloodsOfUnrequestedDataAndRequestMessagesLeaveNothingBehind) {
    // 3000 texts of 8000 bytes under as many made-up senders, and as many request messages
    // naming a window that is no DDE server; the server's own answer comes after them.
    DdeServer server("--flood 3000");
    startLookout({});  // without the log, which would take most of the time
    showAndRecord(firefox);
    std::string memory = server.waitForEventStartingWith("memory ");
    long long before = 0, after = 0;
    ASSERT_EQ(std::sscanf(memory.c_str(), "memory %lld %lld", &before, &after), 2) << memory;
    EXPECT_LT(after - before, 4096) << memory;
    EXPECT_EQ(showAndRecord(plain), appOf("Plain"));
    expectNoAtomsLeft("the item atoms of requests posted to windows that are no servers");
}

TEST_F(Dde, WithoutTheDdeThreadOtherRecordsStillCome) {
    // The probe takes the DDE window class before the monitor loop starts its DDE thread.
    std::string folder = e2e::freshTempDir("nodde");
    e2e::copyFileOrThrow(e2e::binPath("dde_probe.exe"), folder + "\\Lookout.exe");
    HWND explorer = windows.create("IEFrame", "Explorer Window");
    DdeServer server("--url http://unreachable.test/");
    startLookout({"/debuglog", "no-dde-thread"}, folder);
    EXPECT_EQ(lookout->records()[0], appOf("Plain"));
    EXPECT_EQ(showAndRecord(firefox), appOf("Window Title"));
    EXPECT_EQ(showAndRecord(explorer), siteOf("", "Explorer Window"));
    std::string text = log();
    EXPECT_EQ(countOf(text, "Error: DDE processing cannot be activated (no browser data can be "
                            "obtained)!\r\n"),
              1u)
        << text;
    EXPECT_EQ(countOf(text, "nAckedNewNum = 0, hDDEAckedNew = 0x"), 1u);
    EXPECT_EQ(lookout->stopWithCtrlC(), 1u);
}

TEST_F(Dde, ClosingTheDdeWindowEndsItsConversationsAndItsThread) {
    DdeServer server("--app ProbeApp --url http://probe.test/ --title Probe");
    std::string folder = e2e::freshTempDir("ddeclose");
    std::string exe = folder + "\\dde_probe.exe";
    e2e::copyFileOrThrow(e2e::binPath("dde_probe.exe"), exe);
    e2e::ChildProcess probe("\"" + exe + "\" /debuglog close-dde-window ProbeApp", false);
    std::string output;
    char buffer[1024];
    DWORD read = 0;
    while (ReadFile(probe.stdoutRead(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        output.append(buffer, read);
    EXPECT_EQ(probe.waitForExit(e2e::kDefaultDeadlineMs), 0u);
    EXPECT_EQ(output,
              "before yes http://probe.test/ Probe\n"
              "thread ended\n"
              "window gone\n"
              "after no untouched untouched\n");
    EXPECT_EQ(server.count("terminate"), 1u);
    std::string text = e2e::readFile(folder + "\\dde_probe.log");
    EXPECT_EQ(traces(text, "sendDDETerminate"), 1u) << text;
    EXPECT_EQ(traces(text, "DDEServersList::sendBrowserDDEInit"), 2u)
        << "the match went with the window";
}

// Firefox has answered no DDE since 2019: for a window whose tree holds the current address
// input no query is made, so a foreign "FireFox" server cannot put its address in the record and
// a hung window on the desktop does not hold the report. A query that is made (Opera's) passes
// over a window the system counts as hung instead of waiting for it.
TEST_F(Dde, ATreeWithTheAddressInputIsAskedNoDdeAndHungWindowsAreNotWaitedFor) {
    constexpr DWORD kHangMs = 9000;
    DdeServer foreign("--url http://foreign.test/ --title Foreign");
    DdeServer opera("--app Opera --url http://opera.test/ --title Opera");
    e2e::TreePlayer current("firefox_2026_bare.json");
    HWND currentWindow = current.window();
    HWND operaWindow = windows.create("OperaWindowClass", "Opera Window");
    e2e::TestWindows hung("testwin_plain.exe");
    HWND hungWindow = hung.create("LookoutHungWindow", "Hung");
    startLookout();
    hung.hang(kHangMs);
    // Brings a window of `process` to the front; the milliseconds until its record, or -1.
    auto timedRecord = [this](e2e::TestWindows& process, HWND window) -> long long {
        const ULONGLONG start = GetTickCount64();
        process.show(window);
        if (!lookout->waitForRecords(++records)) return -1;
        return static_cast<long long>(GetTickCount64() - start);
    };
    const std::string currentSite =
        siteRecord("beispiel.de/ohne", "Bare 2026 - Mozilla Firefox", current.exePath());
    EXPECT_GE(timedRecord(current, currentWindow), 0);
    EXPECT_GE(timedRecord(windows, plain), 0);
    const long long again = timedRecord(current, currentWindow);
    EXPECT_GE(again, 0);
    EXPECT_LT(again, 1000) << "waited for the hung window";
    EXPECT_EQ(foreign.count("initiate"), 0u);

    ASSERT_TRUE(e2e::waitFor([&] { return IsHungAppWindow(hungWindow) != FALSE; }, kHangMs));
    const long long queried = timedRecord(windows, operaWindow);
    EXPECT_GE(queried, 0);
    EXPECT_LT(queried, 1000) << "the broadcast waited for the hung window";
    EXPECT_EQ(lookout->output(), appOf("Plain") + currentSite + appOf("Plain") + currentSite +
                                     siteOf("http://opera.test/", "Opera"));
}

TEST_F(Dde, CtrlCDuringAQueryEndsWithCodeOne) {
    DdeServer server("--no-data");
    startLookout();
    windows.show(firefox);
    server.waitForEvent("request 0xFFFFFFFF");  // Lookout now waits for the answer
    EXPECT_EQ(lookout->stopWithCtrlC(), 1u);
    std::string output = lookout->output();
    // The query's own record comes only if the stop took longer than the query.
    EXPECT_TRUE(output == appOf("Plain") || output == appOf("Plain") + appOf("Window Title"))
        << output;
    EXPECT_TRUE(std::regex_search(log(), std::regex(R"(Lookout Terminated\r\n$)")));
}

}  // namespace
