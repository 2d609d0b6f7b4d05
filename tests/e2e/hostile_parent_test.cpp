// Parents that misbehave: one that stops reading Lookout's standard output for a while, one that
// never reads again, one that closes its end of the pipe. Lookout must poll on through all of
// them, and whatever reaches the parent must be whole records in the order they were made.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;

constexpr char kDescription[] = "Lookout Test Window";  // of testwin_ver.exe
constexpr DWORD kPipeSize = 1 << 16;
constexpr DWORD kPollSeenMs = 5000;

std::string escaped(std::string text) {
    for (char& c : text)
        if (c == '$') c = 'S';
    return text;
}

// Lookout.exe started the way a parent application starts it, with standard output on a pipe
// that the test reads only when it chooses to, and may close.
class PipedLookout {
public:
    PipedLookout() {
        folder_ = e2e::freshTempDir("piped");
        exe_ = folder_ + "\\Lookout.exe";
        e2e::copyFileOrThrow(e2e::binPath("Lookout.exe"), exe_);
        logPath_ = folder_ + "\\lookout.log";
        token_ = "--hostile-parent-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(GetTickCount64());

        HANDLE write = nullptr;
        if (!CreatePipe(&read_, &write, nullptr, kPipeSize)) throw std::runtime_error("CreatePipe");
        HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
        // Only these two handles are inheritable, and only while the process is created; the
        // tests start no other process meanwhile.
        for (HANDLE h : {write, nul}) SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul;
        startup.hStdOutput = write;
        startup.hStdError = nul;
        std::string commandLine = "\"" + exe_ + "\" /debuglog " + token_;
        BOOL created = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process_);
        CloseHandle(write);
        CloseHandle(nul);
        if (!created) throw std::runtime_error("cannot start Lookout.exe");
    }
    ~PipedLookout() {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 255);
            WaitForSingleObject(process_.hProcess, e2e::kDefaultDeadlineMs);
        }
        for (HANDLE h : {process_.hProcess, process_.hThread, read_})
            if (h) CloseHandle(h);
        // Every folder left in %TEMP% makes the system's short names of the others likelier to
        // collide; this one is of no use once the run is over.
        DeleteFileA(exe_.c_str());
        DeleteFileA(logPath_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    PipedLookout(const PipedLookout&) = delete;
    PipedLookout& operator=(const PipedLookout&) = delete;

    // Reads until `count` whole records have arrived; false when the deadline passed first.
    bool readRecords(std::size_t count, DWORD deadlineMs = e2e::kDefaultDeadlineMs) {
        const ULONGLONG deadline = GetTickCount64() + deadlineMs;
        while (e2e::splitRecords(output_).size() < count) {
            DWORD available = 0;
            if (!PeekNamedPipe(read_, nullptr, 0, nullptr, &available, nullptr)) return false;
            if (available > 0) {
                std::string chunk(available, '\0');
                DWORD got = 0;
                if (!ReadFile(read_, &chunk[0], available, &got, nullptr)) return false;
                output_.append(chunk, 0, got);
            } else if (GetTickCount64() > deadline) {
                return false;
            } else {
                Sleep(2);
            }
        }
        return true;
    }
    const std::string& output() const { return output_; }

    // Reads at most `bytes` every `everyMs` until the end of the output.
    void readSlowlyToTheEnd(DWORD bytes, DWORD everyMs) {
        std::string chunk(bytes, '\0');
        for (DWORD got = 0; ReadFile(read_, &chunk[0], bytes, &got, nullptr) && got > 0;
             Sleep(everyMs))
            output_.append(chunk, 0, got);
    }

    void closeReadEnd() {
        CloseHandle(read_);
        read_ = nullptr;
    }

    // How many new foreground windows Lookout has identified, from its log: the log is written
    // by the polling thread itself, so this counts polls whatever happens to standard output.
    // Only what the log has gained since the last call is read.
    std::size_t windowsIdentified() {
        static const std::string kLine = "GetModuleInfo: FileName ";
        HANDLE file = CreateFileA(logPath_.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE) return identified_;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(logRead_);
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
        char buffer[65536];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            logTail_.append(buffer, got);
            logRead_ += got;
        }
        CloseHandle(file);
        // Whole lines only; a line still being written is counted once it is complete.
        std::size_t lineEnd;
        while ((lineEnd = logTail_.find('\n')) != std::string::npos) {
            if (logTail_.find(kLine) < lineEnd) ++identified_;
            logTail_.erase(0, lineEnd + 1);
        }
        return identified_;
    }
    bool waitForIdentified(std::size_t count) {
        return e2e::waitFor([&] { return windowsIdentified() >= count; }, kPollSeenMs);
    }

    bool running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    bool sendCtrlC() { return e2e::sendCtrlC(process_.dwProcessId, token_); }
    DWORD stopWithCtrlC(DWORD deadlineMs) {
        return sendCtrlC() ? waitForExit(deadlineMs) : STILL_ACTIVE;
    }
    DWORD waitForExit(DWORD deadlineMs) {
        if (WaitForSingleObject(process_.hProcess, deadlineMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION process_ = {};
    HANDLE read_ = nullptr;
    std::string folder_;
    std::string exe_;
    std::string logPath_;
    std::size_t logRead_ = 0;
    std::string logTail_;
    std::size_t identified_ = 0;
    std::string token_;
    std::string output_;
};

// Two windows of one process, shown in turn, each time under a new title of the longest length
// a title is read with, so that few switches fill the pipe.
class Switcher {
public:
    Switcher() {
        a_ = windows_.create("LookoutParentA", "A");
        b_ = windows_.create("LookoutParentB", "B");
        windows_.show(a_);
    }
    std::string firstRecord() const { return appRecord(windows_.exePath(), kDescription, "A"); }
    // Switch number `n` (from 1); returns the record it must produce.
    std::string switchTo(int n) {
        HWND window = n % 2 ? b_ : a_;
        std::string title = "switch " + std::to_string(n) + " $ ";
        title.resize(1023, static_cast<char>('a' + n % 26));
        windows_.retitle(window, title);
        windows_.show(window);
        return appRecord(windows_.exePath(), kDescription, escaped(title));
    }

private:
    e2e::TestWindows windows_{"testwin_ver.exe"};
    HWND a_ = nullptr;
    HWND b_ = nullptr;
};

// Enough switches that their records overfill the pipe twice over.
constexpr int kSwitchesPastAFullPipe = 2 * kPipeSize / 1024;

TEST(HostileParent, APauseInReadingHoldsNoPollAndLosesNoRecord) {
    Switcher switcher;
    PipedLookout lookout;
    ASSERT_TRUE(lookout.readRecords(1));
    std::string expected = switcher.firstRecord();
    ASSERT_EQ(lookout.output(), expected);

    // The parent reads nothing while the windows change.
    for (int n = 1; n <= kSwitchesPastAFullPipe; ++n) {
        expected += switcher.switchTo(n);
        ASSERT_TRUE(lookout.waitForIdentified(static_cast<std::size_t>(n) + 1))
            << "the poll stopped at switch " << n << " with " << expected.size()
            << " bytes of records made";
    }
    ASSERT_TRUE(lookout.readRecords(static_cast<std::size_t>(kSwitchesPastAFullPipe) + 1));
    EXPECT_EQ(lookout.output(), expected);
    EXPECT_EQ(lookout.stopWithCtrlC(e2e::kDefaultDeadlineMs), 1u);
}

// A parent that was busy for 15 s (a debugger's pause, say) and is then stopped: it reads what
// piled up at its own slow pace, and every record reaches it before Lookout ends.
TEST(HostileParent, AStopAfterAStallWritesEveryRecordWhileTheParentReadsSlowly) {
    constexpr ULONGLONG kStallMs = 15000;
    constexpr int kMostSwitches = 160;  // 160 KB of records: more than two pipes wait in Lookout
    Switcher switcher;
    PipedLookout lookout;
    ASSERT_TRUE(lookout.readRecords(1));
    std::string expected = switcher.firstRecord();
    const ULONGLONG stalled = GetTickCount64();
    for (int n = 1; n <= kMostSwitches && GetTickCount64() - stalled < kStallMs; ++n) {
        expected += switcher.switchTo(n);
        ASSERT_TRUE(lookout.waitForIdentified(static_cast<std::size_t>(n) + 1)) << n;
    }
    while (GetTickCount64() - stalled < kStallMs) Sleep(100);
    ASSERT_TRUE(lookout.sendCtrlC());
    lookout.readSlowlyToTheEnd(4096, 50);  // seconds in all, never a second without reading
    EXPECT_EQ(lookout.output(), expected) << lookout.output().size() << " of " << expected.size();
    EXPECT_EQ(lookout.waitForExit(e2e::kDefaultDeadlineMs), 1u);
}

TEST(HostileParent, AParentThatNeverReadsAgainCanStillStopLookout) {
    Switcher switcher;
    PipedLookout lookout;
    ASSERT_TRUE(lookout.readRecords(1));
    for (int n = 1; n <= kSwitchesPastAFullPipe; ++n) {
        switcher.switchTo(n);
        ASSERT_TRUE(lookout.waitForIdentified(static_cast<std::size_t>(n) + 1)) << n;
    }
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(lookout.stopWithCtrlC(e2e::kDefaultDeadlineMs), 1u);
    EXPECT_LT(GetTickCount64() - start, 5000u);
}

TEST(HostileParent, AClosedPipeLosesTheRecordsButNotThePoll) {
    Switcher switcher;
    PipedLookout lookout;
    ASSERT_TRUE(lookout.readRecords(1));
    lookout.closeReadEnd();
    for (int n = 1; n <= 20; ++n) {
        switcher.switchTo(n);
        ASSERT_TRUE(lookout.waitForIdentified(static_cast<std::size_t>(n) + 1)) << n;
    }
    EXPECT_TRUE(lookout.running());
    EXPECT_EQ(lookout.stopWithCtrlC(e2e::kDefaultDeadlineMs), 1u);
}

}  // namespace
