#pragma once
// A small driver for end-to-end tests: runs the real Lookout.exe with its standard output on a
// pipe, and test window processes that the test scripts line by line.

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace e2e {

constexpr DWORD kDefaultDeadlineMs = 10000;

// The folder that holds the test executables, Lookout.exe and the test window programs.
std::string binDir();
std::string binPath(const std::string& fileName);
// A new empty folder under %TEMP% for one test. It is removed with everything in it when the
// test program ends, whether its tests passed or not (scripts/test removes what a program that
// was killed left).
std::string freshTempDir(const std::string& tag);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
void copyFileOrThrow(const std::string& from, const std::string& to);

// Polls `condition` until it holds; false when the deadline passed first.
bool waitFor(const std::function<bool()>& condition, DWORD deadlineMs = kDefaultDeadlineMs);

// The bytes of one application record and of one site record.
std::string appRecord(const std::string& path, const std::string& description,
                      const std::string& title);
std::string siteRecord(const std::string& url, const std::string& title, const std::string& path);

// Text of the ANSI code page as UTF-16, and back (characters the code page lacks become "?").
std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);
// Text of the ANSI code page as UTF-8.
std::string utf8FromAnsi(const std::string& text);

// The text as lower-case hex, two digits a byte (how test programs take arbitrary bytes).
std::string toHex(const std::string& text);
// The items of a stream or record: the texts between its "$" bytes, each without its "$".
std::vector<std::string> recordItems(const std::string& stream);
// The Linux process id of the Wine process whose command line holds `token`, or 0.
long unixPidOf(const std::string& token);
// %TEMP%\hsperfdata_<user>\, where a Java virtual machine keeps its performance data; created
// when missing.
std::string javaPerfDataFolder();
void writeFileOrThrow(const std::string& path, const std::string& bytes);

// The dumps folder under the documents folder, and the dump files that a process with this id
// left in it.
std::string dumpsFolder();
std::vector<std::string> dumpsOf(DWORD pid);

// Splits a record stream into whole records (kind, three fields and the line feed item, each
// with its "$"; `itemsPerRecord` 6 for records with a time). A record not yet complete is left
// out.
std::vector<std::string> splitRecords(const std::string& stream, std::size_t itemsPerRecord = 5);

// The system clock now as a record's time field gives it ("2026-12-09T14:03:07.125Z"); such
// texts sort as their times do.
std::string utcNowText();

// A child process with pipes on its standard streams. Handles are made inheritable only for
// the duration of one CreateProcess, under a lock, so that no child inherits another's pipe.
class ChildProcess {
public:
    // stdin is a pipe when `pipeStdin`, else NUL; stdout is a pipe; stderr is NUL.
    ChildProcess(const std::string& commandLine, bool pipeStdin);
    // The same with a UTF-16 command line and, unless empty, the executable's path given apart.
    ChildProcess(const std::wstring& commandLine, bool pipeStdin,
                 const std::wstring& applicationName);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD pid() const { return info_.dwProcessId; }
    HANDLE process() const { return info_.hProcess; }
    HANDLE stdinWrite() const { return stdinWrite_; }
    HANDLE stdoutRead() const { return stdoutRead_; }
    void closeStdinWrite();
    // Waits for the exit; returns the exit code, or STILL_ACTIVE when the deadline passed.
    DWORD waitForExit(DWORD deadlineMs);
    void kill();

private:
    PROCESS_INFORMATION info_ = {};
    HANDLE stdinWrite_ = nullptr;
    HANDLE stdoutRead_ = nullptr;
};

// The real Lookout.exe, copied into its own folder so that its log file is the test's own.
class Lookout {
public:
    // With `pipeStdin`, its standard input is a pipe whose write end closeStdin() closes.
    explicit Lookout(const std::vector<std::string>& args = {}, const std::string& folder = {},
                     bool pipeStdin = false);
    ~Lookout();

    const std::string& exePath() const { return exePath_; }
    const std::string& folder() const { return folder_; }
    DWORD pid() const { return child_->pid(); }
    std::string logPath() const;  // where the lower-cased ".exe" rule puts the log

    // Waits until at least `count` whole records (with their time with "/time") have arrived;
    // false when the deadline passed.
    bool waitForRecords(std::size_t count, DWORD deadlineMs = kDefaultDeadlineMs);
    std::vector<std::string> records() const;
    std::string output() const;  // every byte received so far
    bool outputClosed() const;

    void closeStdin() { child_->closeStdinWrite(); }
    DWORD waitForExit(DWORD deadlineMs) { return child_->waitForExit(deadlineMs); }
    // Delivers Ctrl+C and waits for the exit; returns the exit code (STILL_ACTIVE on time-out).
    DWORD stopWithCtrlC(DWORD deadlineMs = kDefaultDeadlineMs);
    // Waits until the pipe reports end-of-file, so that every byte has been read.
    bool waitForOutputClosed(DWORD deadlineMs = kDefaultDeadlineMs);

private:
    void readOutput();

    std::string folder_;
    std::string exePath_;
    std::string token_;
    std::unique_ptr<ChildProcess> child_;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string output_;
    bool closed_ = false;
    bool stopped_ = false;
    std::size_t itemsPerRecord_ = 5;  // 6 with "/time"
};

// One test window process (testwin*.exe) holding any number of top-level windows.
class TestWindows {
public:
    // `exeName` is a file in binDir(), or a full path for a copy elsewhere; `args` are added to
    // its command line.
    explicit TestWindows(const std::string& exeName = "testwin_ver.exe",
                         const std::vector<std::string>& args = {});
    // A copy at a path that the ANSI code page cannot show or that is too long for it; exePath()
    // is then that path in the ANSI code page.
    explicit TestWindows(const std::wstring& exePath);
    virtual ~TestWindows();

    DWORD pid() const { return pid_; }
    const std::string& exePath() const { return exePath_; }

    // A hidden window of that class and title.
    HWND create(const std::string& className, const std::string& title);
    // Shows it, brings it to the front and waits until it is the foreground window.
    void show(HWND window);
    // Hides it and waits until it is no longer the foreground window.
    void hide(HWND window);
    void retitle(HWND window, const std::string& title);
    void destroy(HWND window);
    // The window thread stops pumping messages for `ms` milliseconds.
    void hang(DWORD ms);
    // A visible child window of that class and text under `parent`; "Edit" gives a real edit
    // control, other classes answer WM_GETTEXT with their text.
    HWND createChild(HWND parent, const std::string& className, const std::string& text);
    // Like show(), but the window thread stops pumping for `ms` milliseconds as soon as the
    // window is in front, so that whoever looks at it next finds it not answering.
    void showThenHang(HWND window, DWORD ms);
    // Ends the process and waits for it.
    void quit();
    // Any command of the program (a stand-in's own ones too); returns its answer line.
    std::string command(const std::string& line);

private:
    void waitUntilReady();
    std::string readLine(DWORD deadlineMs);

    std::string exePath_;
    std::unique_ptr<ChildProcess> child_;
    std::string pending_;
    DWORD pid_ = 0;
};

// The calls a tree player's tree has answered: in all, and per object (by its path of child
// positions from 1, "" for the root, "window" for the window object) and method
// ("get_accName", "Next", ...).
struct TreeCounts {
    long total = 0;
    std::map<std::string, std::map<std::string, long>> objects;
    // The calls on one object, in all or of one method.
    long on(const std::string& path, const std::string& method = {}) const;
};

// The folder of one tree player: a copy of tree_player.exe named as the tree file's
// window.executable says and a copy of the tree file, removed with the object.
struct TreePlayerFiles {
    TreePlayerFiles(const std::string& treeFile, const std::string& executable,
                    const std::vector<std::pair<std::string, std::string>>& texts);
    ~TreePlayerFiles();
    std::string playerFolder, playerExe, playerTree;
};

// The tree player (tests/programs/tree_player.cpp) serving a tree file, run as the browser the
// file names. `treeFile` is a file of tests/trees ("chrome_2025.json") or a full path; the file
// is copied, so the test may rewrite the copy. `executable` runs it under another file name
// than the tree's window.executable (for example an Electron application's). `texts` replace
// texts of the file's copy: each pair's first text, wherever it stands, by its second (UTF-8).
class TreePlayer : private TreePlayerFiles, public TestWindows {
public:
    explicit TreePlayer(const std::string& treeFile, const std::string& executable = {},
                        const std::vector<std::pair<std::string, std::string>>& texts = {});

    // The window of the file's class and title, created on the first call; newWindow() makes
    // another one.
    HWND window();
    HWND newWindow();
    const std::string& treePath() const { return playerTree; }

    // The calls made on the tree so far.
    long calls();
    TreeCounts counts();
    // Writes `json` over the copy of the tree file and has the player read it again (a
    // navigation); throws when the player rejects the file.
    void replaceTree(const std::string& json);

private:
    HWND window_ = nullptr;
};

// Removes a folder and everything in it, waiting up to `waitMs` for files still in use (the
// executable of a process that has just ended). False when something is left.
bool removeFolder(const std::string& folder, DWORD waitMs = 5000);

// Delivers Ctrl+C to a process the way the console would: under Wine, SIGINT to the process
// whose command line holds `token`.
bool sendCtrlC(DWORD pid, const std::string& token);

}  // namespace e2e
