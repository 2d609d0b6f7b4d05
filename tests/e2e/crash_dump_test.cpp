// The crash guard seen from outside: a probe runs the real start-up, guard, dump writer and
// handler around a failing loop. Each dump costs seconds, so these runs are few.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <regex>
#include <string>

#include "e2e/driver.h"

namespace {

using e2e::dumpsFolder;
using e2e::dumpsOf;

struct ProbeRun {
    DWORD pid = 0;
    DWORD exitCode = STILL_ACTIVE;
    std::string output;
    std::string log;
    std::vector<std::string> dumps;
};

ProbeRun runCrashProbe(const std::vector<std::string>& args) {
    std::string folder = e2e::freshTempDir("crash");
    std::string exe = folder + "\\crash_probe.exe";
    e2e::copyFileOrThrow(e2e::binPath("crash_probe.exe"), exe);
    std::string commandLine = "\"" + exe + "\"";
    for (const std::string& arg : args) commandLine += " " + arg;
    ProbeRun run;
    e2e::ChildProcess child(commandLine, false);
    run.pid = child.pid();
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(child.stdoutRead(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        run.output.append(buffer, read);
    run.exitCode = child.waitForExit(60000);
    run.log = e2e::readFile(folder + "\\crash_probe.log");
    run.dumps = dumpsOf(run.pid);
    return run;
}

struct DumpFacts {
    bool valid = false;
    bool hasException = false;
    std::uint32_t threadId = 0;
    std::uint32_t code = 0;
};

// Reads the header, the stream directory and the exception stream of a minidump.
DumpFacts readDump(const std::string& path) {
    std::string bytes = e2e::readFile(path);
    auto u32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        if (at + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + at, 4);
        return value;
    };
    DumpFacts facts;
    facts.valid = bytes.size() > 32 && bytes.compare(0, 4, "MDMP") == 0;
    if (!facts.valid) return facts;
    std::uint32_t streams = u32(8), directory = u32(12);
    for (std::uint32_t i = 0; i < streams; ++i) {
        std::size_t entry = directory + i * 12;
        if (u32(entry) != 6) continue;  // ExceptionStream
        std::uint32_t at = u32(entry + 8);
        facts.hasException = true;
        facts.threadId = u32(at);
        facts.code = u32(at + 8);
    }
    return facts;
}

void removeDumps(const ProbeRun& run) {
    for (const std::string& name : run.dumps) DeleteFileA((dumpsFolder() + "\\" + name).c_str());
}

// The id the probe printed after "loop" (the monitor loop's thread) or "thread" (a thread that
// fails); 0 when it printed none.
std::uint32_t threadOf(const std::string& output, const std::string& which = "loop") {
    std::smatch match;
    if (!std::regex_search(output, match, std::regex(which + R"( (\d+)\n)"))) return 0;
    return static_cast<std::uint32_t>(std::stoul(match[1]));
}

const std::string kTime = R"(\d\d:\d\d:\d\d: )";
// The last lines of the log after an access violation that the guard's handler ended.
const std::regex kAccessViolationEnd(kTime + "Exception was raised: 0xc0000005\r\n" + kTime +
                                     "GenerateDump was called\\. Attempting to terminate "
                                     "program\\.\r\n" +
                                     kTime + "Lookout Terminated\r\n$");

TEST(CrashGuard, AnAccessViolationInTheLoopLeavesOneDumpAndEndsWithCodeZero) {
    ProbeRun run = runCrashProbe({"/debuglog", "access-violation"});
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.dumps.size(), 1u);
    std::uint32_t thread = threadOf(run.output);
    EXPECT_TRUE(std::regex_match(run.dumps[0], std::regex("dump-\\d{8}-\\d{6}-" +
                                                          std::to_string(run.pid) + "-" +
                                                          std::to_string(thread) + "\\.dmp")))
        << run.dumps[0];
    DumpFacts dump = readDump(dumpsFolder() + "\\" + run.dumps[0]);
    EXPECT_TRUE(dump.valid);
    EXPECT_TRUE(dump.hasException);
    EXPECT_EQ(dump.code, 0xC0000005u);
    EXPECT_EQ(dump.threadId, thread);
    EXPECT_TRUE(std::regex_search(run.log, kAccessViolationEnd)) << run.log;
    removeDumps(run);
}

TEST(CrashGuard, WithoutTheLogTheDumpIsStillWritten) {
    ProbeRun run = runCrashProbe({"access-violation"});
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_TRUE(readDump(dumpsFolder() + "\\" + run.dumps[0]).valid);
    EXPECT_EQ(run.log, "");
    removeDumps(run);
}

TEST(CrashGuard, AnEscapingCppExceptionIsDumpedAtTheThrowPoint) {
    ProbeRun run = runCrashProbe({"cpp-exception", "/debuglog"});
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.dumps.size(), 1u);
    DumpFacts dump = readDump(dumpsFolder() + "\\" + run.dumps[0]);
    EXPECT_TRUE(dump.valid);
    // g++ raises its exceptions with this code; the dump shows the throwing thread.
    EXPECT_EQ(dump.code, 0x20474343u);
    EXPECT_EQ(dump.threadId, threadOf(run.output));
    EXPECT_NE(run.log.find("Exception was raised: 0x20474343\r\n"), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("GenerateDump was called. Attempting to terminate program.\r\n"),
              std::string::npos);
    removeDumps(run);
}

// The DDE dispatch thread and the output writer run under the same guard as the loop: their
// state cannot be trusted after a fault, so it ends the program as the loop's guard does.
TEST(CrashGuard, AFaultOnTheProgramsOwnThreadsIsDumpedAndEndsWithCodeZero) {
    for (const char* action : {"dde-thread-fault", "guarded-thread-fault"}) {
        ProbeRun run = runCrashProbe({"/debuglog", action});
        EXPECT_EQ(run.exitCode, 0u) << action;
        ASSERT_EQ(run.dumps.size(), 1u) << action;
        DumpFacts dump = readDump(dumpsFolder() + "\\" + run.dumps[0]);
        EXPECT_EQ(dump.code, 0xC0000005u) << action;
        EXPECT_EQ(dump.threadId, threadOf(run.output, "thread")) << action << run.output;
        EXPECT_NE(dump.threadId, threadOf(run.output)) << action;
        EXPECT_TRUE(std::regex_search(run.log, kAccessViolationEnd)) << action << run.log;
        removeDumps(run);
    }
}

// A thread the program did not start (here the probe's own) is outside every guard.
TEST(CrashGuard, AFaultOnAnotherThreadIsNotOurs) {
    ProbeRun run = runCrashProbe({"/debuglog", "thread-fault"});
    EXPECT_NE(run.exitCode, 0u);
    EXPECT_NE(run.exitCode, STILL_ACTIVE);
    EXPECT_TRUE(run.dumps.empty());
    EXPECT_EQ(run.log.find("GenerateDump was called"), std::string::npos) << run.log;
    removeDumps(run);
}

// A loop that stops polling for a reason no guard sees leaves no live process that never writes
// again: the program ends with its own code, after the records it had queued. A thread that
// ended is seen at once, a loop that stalls after its 2 s and a check.
TEST(Watchdog, AMonitorLoopThatStopsPollingEndsTheProgramAfterItsRecords) {
    std::string records;
    for (const char* title : {"first", "second", "third"})
        records += e2e::appRecord("C:\\probe.exe", "Probe", title);
    for (const char* action : {"loop-ends", "loop-stalls"}) {
        const ULONGLONG start = GetTickCount64();
        ProbeRun run = runCrashProbe({"/debuglog", action});
        const ULONGLONG took = GetTickCount64() - start;
        EXPECT_EQ(run.exitCode, 2u) << action;
        EXPECT_EQ(run.output.substr(run.output.find('\n') + 1), records) << action;
        EXPECT_NE(run.log.find("Lookout Terminated"), std::string::npos) << action << run.log;
        EXPECT_TRUE(action[5] == 'e' ? took < 5000 : took >= 2000 && took < 10000) << took;
    }
}

}  // namespace
