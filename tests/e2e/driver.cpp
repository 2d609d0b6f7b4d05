#include "e2e/driver.h"

#include <shellapi.h>
#include <shlobj.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace e2e {

namespace {

std::mutex spawnMutex;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + " (error " + std::to_string(GetLastError()) + ")");
}

std::string quote(const std::string& argument) { return "\"" + argument + "\""; }

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

#if defined(__GNUC__) && defined(__x86_64__)
// Wine runs every Windows process as a Linux process, so the kill system call reaches it
// directly; Wine turns SIGINT into the console's Ctrl+C event.
long linuxKill(long unixPid, long signal) {
    long result;
    __asm__ volatile("syscall"
                     : "=a"(result)
                     : "a"(62L), "D"(unixPid), "S"(signal)
                     : "rcx", "r11", "memory");
    return result;
}

#endif

}  // namespace

std::wstring widen(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                     &wide[0], static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return wide;
}

std::string narrow(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length,
                        nullptr, nullptr);
    return bytes;
}

std::string utf8FromAnsi(const std::string& text) {
    const std::wstring wide = widen(text);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0], length,
                        nullptr, nullptr);
    return bytes;
}

std::string toHex(const std::string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : text) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

// Wine shows a process's Windows command line as its Linux command line.
long unixPidOf(const std::string& token) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return 0;
    long found = 0;
    do {
        if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
        std::string cmdline = readFile(std::string("Z:\\proc\\") + entry.cFileName + "\\cmdline");
        for (char& c : cmdline)
            if (c == '\0') c = ' ';
        if (cmdline.find(token) != std::string::npos) found = std::atol(entry.cFileName);
    } while (!found && FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

std::string javaPerfDataFolder() {
    char user[1024] = {}, temp[MAX_PATH] = {};
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
    std::string folder = std::string(temp) + "\\hsperfdata_" + user;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

void writeFileOrThrow(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) fail("cannot write " + path);
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) fail("cannot write " + path);
}

std::string binDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\'));
}

std::string binPath(const std::string& fileName) { return binDir() + "\\" + fileName; }

namespace {

// The folders freshTempDir made, removed when the program ends.
struct MadeFolders {
    std::mutex mutex;
    std::vector<std::string> folders;
    ~MadeFolders() {
        for (const std::string& folder : folders) removeFolder(folder, 1000);
    }
};

MadeFolders& madeFolders() {
    static MadeFolders made;
    return made;
}

}  // namespace

std::string freshTempDir(const std::string& tag) {
    static int counter = 0;
    MadeFolders& made = madeFolders();  // made first, so that it is destroyed last
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    for (;;) {
        std::string dir = std::string(temp) + "lookout-" + tag + "-" +
                          std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        if (CreateDirectoryA(dir.c_str(), nullptr)) {
            std::lock_guard<std::mutex> lock(made.mutex);
            made.folders.push_back(dir);
            return dir;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) fail("cannot create " + dir);
    }
}

std::string readFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string content;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    CloseHandle(file);
    return content;
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void copyFileOrThrow(const std::string& from, const std::string& to) {
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) fail("cannot copy " + from + " to " + to);
}

bool waitFor(const std::function<bool()>& condition, DWORD deadlineMs) {
    const ULONGLONG deadline = GetTickCount64() + deadlineMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) return false;
        Sleep(2);
    }
    return true;
}

std::string appRecord(const std::string& path, const std::string& description,
                      const std::string& title) {
    return "app$" + path + "$" + description + "$" + title + "$\n$";
}

std::string siteRecord(const std::string& url, const std::string& title, const std::string& path) {
    return "site$" + url + "$" + title + "$" + path + "$\n$";
}

std::string dumpsFolder() {
    char documents[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    return std::string(documents) + "\\dumps";
}

std::vector<std::string> dumpsOf(DWORD pid) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(
        (dumpsFolder() + "\\dump-*-" + std::to_string(pid) + "-*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::vector<std::string> recordItems(const std::string& stream) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t dollar; (dollar = stream.find('$', start)) != std::string::npos;
         start = dollar + 1)
        items.push_back(stream.substr(start, dollar - start));
    return items;
}

std::vector<std::string> splitRecords(const std::string& stream, std::size_t itemsPerRecord) {
    std::vector<std::string> items = recordItems(stream);
    std::vector<std::string> records;
    for (std::size_t i = 0; i + itemsPerRecord <= items.size(); i += itemsPerRecord) {
        std::string record;
        for (std::size_t j = i; j < i + itemsPerRecord; ++j) record += items[j] + "$";
        records.push_back(record);
    }
    return records;
}

std::string utcNowText() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

// ---- ChildProcess ----

ChildProcess::ChildProcess(const std::string& commandLine, bool pipeStdin)
    : ChildProcess(widen(commandLine), pipeStdin, std::wstring()) {}

ChildProcess::ChildProcess(const std::wstring& commandLine, bool pipeStdin,
                           const std::wstring& applicationName) {
    SECURITY_ATTRIBUTES plain = {sizeof plain, nullptr, FALSE};
    HANDLE stdoutWrite = nullptr, stdinRead = nullptr;
    if (!CreatePipe(&stdoutRead_, &stdoutWrite, &plain, 1 << 16)) fail("CreatePipe");
    if (pipeStdin) {
        if (!CreatePipe(&stdinRead, &stdinWrite_, &plain, 1 << 16)) fail("CreatePipe");
    } else {
        stdinRead = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &plain,
                                OPEN_EXISTING, 0, nullptr);
    }
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &plain,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = stdinRead;
    startup.hStdOutput = stdoutWrite;
    startup.hStdError = nul;
    BOOL created = FALSE;
    DWORD error = ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> lock(spawnMutex);
        for (HANDLE h : {stdinRead, stdoutWrite, nul})
            SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        // Now and then (about once in a few thousand starts here) Wine's new process dies before
        // it is up and the start fails with ERROR_INTERNAL_ERROR; the next start succeeds.
        for (int attempt = 0; attempt < 3 && !created; ++attempt) {
            std::wstring mutableLine = commandLine;
            created = CreateProcessW(applicationName.empty() ? nullptr : applicationName.c_str(),
                                     &mutableLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                     &startup, &info_);
            error = GetLastError();
            if (error != ERROR_INTERNAL_ERROR) break;
        }
        for (HANDLE h : {stdinRead, stdoutWrite, nul}) SetHandleInformation(h, HANDLE_FLAG_INHERIT, 0);
    }
    for (HANDLE h : {stdinRead, stdoutWrite, nul}) CloseHandle(h);
    if (!created) {
        SetLastError(error);
        fail("cannot start " + narrow(commandLine));
    }
}

ChildProcess::~ChildProcess() {
    if (waitForExit(0) == STILL_ACTIVE) kill();
    for (HANDLE h : {info_.hProcess, info_.hThread, stdinWrite_, stdoutRead_})
        if (h) CloseHandle(h);
}

DWORD ChildProcess::waitForExit(DWORD deadlineMs) {
    if (WaitForSingleObject(info_.hProcess, deadlineMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void ChildProcess::closeStdinWrite() {
    if (stdinWrite_) CloseHandle(stdinWrite_);
    stdinWrite_ = nullptr;
}

void ChildProcess::kill() {
    TerminateProcess(info_.hProcess, 255);
    WaitForSingleObject(info_.hProcess, 5000);
}

// ---- Lookout ----

Lookout::Lookout(const std::vector<std::string>& args, const std::string& folder,
                 bool pipeStdin)
    : folder_(folder.empty() ? freshTempDir("run") : folder) {
    exePath_ = folder_ + "\\Lookout.exe";
    if (!fileExists(exePath_)) copyFileOrThrow(binPath("Lookout.exe"), exePath_);
    static int counter = 0;
    token_ = "--e2e-token-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++counter) + "-" + std::to_string(GetTickCount());
    std::string commandLine = quote(exePath_);
    for (const std::string& arg : args) {
        commandLine += " " + arg;
        if (arg == "/time") itemsPerRecord_ = 6;
    }
    commandLine += " " + token_;  // ignored by Lookout; finds its Linux process for Ctrl+C
    child_ = std::make_unique<ChildProcess>(commandLine, pipeStdin);
    reader_ = std::thread([this] { readOutput(); });
}

Lookout::~Lookout() {
    if (child_->waitForExit(0) == STILL_ACTIVE) child_->kill();
    if (reader_.joinable()) reader_.join();
}

std::string Lookout::logPath() const {
    std::string lower = exePath_;
    CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
    return lower.substr(0, lower.find(".exe")) + ".log";
}

void Lookout::readOutput() {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(child_->stdoutRead(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        output_.append(buffer, read);
        changed_.notify_all();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

bool Lookout::waitForRecords(std::size_t count, DWORD deadlineMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(deadlineMs), [&] {
        return splitRecords(output_, itemsPerRecord_).size() >= count || closed_;
    }) && splitRecords(output_, itemsPerRecord_).size() >= count;
}

std::vector<std::string> Lookout::records() const {
    return splitRecords(output(), itemsPerRecord_);
}

std::string Lookout::output() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return output_;
}

bool Lookout::outputClosed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

bool Lookout::waitForOutputClosed(DWORD deadlineMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(deadlineMs), [&] { return closed_; });
}

DWORD Lookout::stopWithCtrlC(DWORD deadlineMs) {
    if (!sendCtrlC(child_->pid(), token_)) return STILL_ACTIVE;
    DWORD code = child_->waitForExit(deadlineMs);
    waitForOutputClosed(deadlineMs);
    return code;
}

bool sendCtrlC(DWORD pid, const std::string& token) {
#if defined(__GNUC__) && defined(__x86_64__)
    if (runningUnderWine()) {
        long unixPid = unixPidOf(token);
        return unixPid > 0 && linuxKill(unixPid, 2) == 0;
    }
#endif
    // On Windows: join the child's console for a moment and raise the event there.
    (void)token;
    FreeConsole();
    if (!AttachConsole(pid)) return false;
    SetConsoleCtrlHandler(nullptr, TRUE);
    BOOL sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    FreeConsole();
    SetConsoleCtrlHandler(nullptr, FALSE);
    return sent != FALSE;
}

// ---- TestWindows ----

TestWindows::TestWindows(const std::string& exeName, const std::vector<std::string>& args)
    : exePath_(exeName.find('\\') == std::string::npos ? binPath(exeName) : exeName) {
    std::string commandLine = quote(exePath_);
    for (const std::string& arg : args) commandLine += " " + arg;
    child_ = std::make_unique<ChildProcess>(commandLine, true);
    waitUntilReady();
}

TestWindows::TestWindows(const std::wstring& exePath) : exePath_(narrow(exePath)) {
    child_ = std::make_unique<ChildProcess>(L"\"" + exePath + L"\"", true, exePath);
    waitUntilReady();
}

void TestWindows::waitUntilReady() {
    std::string ready = readLine(kDefaultDeadlineMs);
    if (ready.rfind("ready ", 0) != 0) throw std::runtime_error("test window: " + ready);
    pid_ = static_cast<DWORD>(std::strtoul(ready.c_str() + 6, nullptr, 10));
}

TestWindows::~TestWindows() {
    try {
        quit();
    } catch (...) {
    }
}

std::string TestWindows::readLine(DWORD deadlineMs) {
    const ULONGLONG deadline = GetTickCount64() + deadlineMs;
    for (;;) {
        std::size_t newline = pending_.find('\n');
        if (newline != std::string::npos) {
            // The programs write their answers in text mode: CR LF.
            std::size_t end = newline > 0 && pending_[newline - 1] == '\r' ? newline - 1 : newline;
            std::string line = pending_.substr(0, end);
            pending_.erase(0, newline + 1);
            return line;
        }
        DWORD available = 0;
        if (!PeekNamedPipe(child_->stdoutRead(), nullptr, 0, nullptr, &available, nullptr))
            throw std::runtime_error("test window process ended");
        if (available > 0) {
            std::string chunk(available, '\0');
            DWORD read = 0;
            ReadFile(child_->stdoutRead(), &chunk[0], available, &read, nullptr);
            pending_.append(chunk, 0, read);
            continue;
        }
        if (GetTickCount64() > deadline) throw std::runtime_error("test window did not answer");
        Sleep(1);
    }
}

std::string TestWindows::command(const std::string& line) {
    std::string text = line + "\n";
    DWORD written = 0;
    if (!WriteFile(child_->stdinWrite(), text.data(), static_cast<DWORD>(text.size()), &written,
                   nullptr))
        fail("cannot write to the test window process");
    return readLine(kDefaultDeadlineMs);
}

HWND TestWindows::create(const std::string& className, const std::string& title) {
    std::string answer = command("create " + className + " " + toHex(title));
    unsigned long long value = std::strtoull(answer.c_str() + 5, nullptr, 10);
    if (answer.rfind("hwnd ", 0) != 0 || value == 0)
        throw std::runtime_error("cannot create window: " + answer);
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

void TestWindows::show(HWND window) {
    command("show " + std::to_string(reinterpret_cast<std::uintptr_t>(window)));
    const ULONGLONG deadline = GetTickCount64() + kDefaultDeadlineMs;
    while (GetForegroundWindow() != window) {
        if (GetTickCount64() > deadline) throw std::runtime_error("window did not come to the front");
        Sleep(1);
    }
}

void TestWindows::hide(HWND window) {
    command("hide " + std::to_string(reinterpret_cast<std::uintptr_t>(window)));
    const ULONGLONG deadline = GetTickCount64() + kDefaultDeadlineMs;
    while (GetForegroundWindow() == window) {
        if (GetTickCount64() > deadline) throw std::runtime_error("window stayed in front");
        Sleep(1);
    }
}

void TestWindows::retitle(HWND window, const std::string& title) {
    command("title " + std::to_string(reinterpret_cast<std::uintptr_t>(window)) + " " +
            toHex(title));
}

void TestWindows::destroy(HWND window) {
    command("destroy " + std::to_string(reinterpret_cast<std::uintptr_t>(window)));
}

void TestWindows::hang(DWORD ms) { command("hang " + std::to_string(ms)); }

HWND TestWindows::createChild(HWND parent, const std::string& className,
                              const std::string& text) {
    std::string answer = command("child " +
                                 std::to_string(reinterpret_cast<std::uintptr_t>(parent)) + " " +
                                 className + " " + toHex(text));
    unsigned long long value = std::strtoull(answer.c_str() + 5, nullptr, 10);
    if (answer.rfind("hwnd ", 0) != 0 || value == 0)
        throw std::runtime_error("cannot create child window: " + answer);
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

void TestWindows::showThenHang(HWND window, DWORD ms) {
    command("showhang " + std::to_string(reinterpret_cast<std::uintptr_t>(window)) + " " +
            std::to_string(ms));
    const ULONGLONG deadline = GetTickCount64() + kDefaultDeadlineMs;
    while (GetForegroundWindow() != window) {
        if (GetTickCount64() > deadline) throw std::runtime_error("window did not come to the front");
        Sleep(1);
    }
}

void TestWindows::quit() {
    if (!child_ || child_->waitForExit(0) != STILL_ACTIVE) return;
    DWORD written = 0;
    WriteFile(child_->stdinWrite(), "quit\n", 5, &written, nullptr);
    if (child_->waitForExit(kDefaultDeadlineMs) == STILL_ACTIVE) child_->kill();
}

// ---- TreePlayer ----

long TreeCounts::on(const std::string& path, const std::string& method) const {
    auto object = objects.find(path);
    if (object == objects.end()) return 0;
    long sum = 0;
    for (const auto& [name, n] : object->second)
        if (method.empty() || name == method) sum += n;
    return sum;
}

bool removeFolder(const std::string& folder, DWORD waitMs) {
    const std::string from = folder + '\0';  // a list of paths, ended by an empty one
    return waitFor([&] {
        SHFILEOPSTRUCTA operation = {};
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationA(&operation);
        return !fileExists(folder);
    }, waitMs);
}

TreePlayerFiles::TreePlayerFiles(const std::string& treeFile, const std::string& executable,
                                 const std::vector<std::pair<std::string, std::string>>& texts) {
    const std::string source =
        treeFile.find('\\') == std::string::npos ? binPath("trees\\" + treeFile) : treeFile;
    std::string content = readFile(source);
    for (const auto& [from, to] : texts) {
        // As the texts stand in JSON, without their quotes.
        const std::string was = nlohmann::json(from).dump(), is = nlohmann::json(to).dump();
        const std::string inner = was.substr(1, was.size() - 2), by = is.substr(1, is.size() - 2);
        for (std::size_t at = content.find(inner); at != std::string::npos;
             at = content.find(inner, at + by.size()))
            content.replace(at, inner.size(), by);
    }
    const nlohmann::json window = nlohmann::json::parse(content).value("window", nlohmann::json{});
    playerFolder = freshTempDir("tree");
    playerExe = playerFolder + "\\" +
                (executable.empty() ? window.value("executable", "tree_player.exe") : executable);
    playerTree = playerFolder + "\\" + source.substr(source.find_last_of('\\') + 1);
    copyFileOrThrow(binPath("tree_player.exe"), playerExe);
    writeFileOrThrow(playerTree, content);
}

// Removed at once, as a test may start many players.
TreePlayerFiles::~TreePlayerFiles() { removeFolder(playerFolder); }

TreePlayer::TreePlayer(const std::string& treeFile, const std::string& executable,
                       const std::vector<std::pair<std::string, std::string>>& texts)
    : TreePlayerFiles(treeFile, executable, texts),
      TestWindows(playerExe, {"/tree", quote(playerTree)}) {}

HWND TreePlayer::window() {
    if (!window_) window_ = newWindow();
    return window_;
}

HWND TreePlayer::newWindow() {
    const std::string answer = command("window");
    const unsigned long long value = std::strtoull(answer.c_str() + 5, nullptr, 10);
    if (answer.rfind("hwnd ", 0) != 0 || value == 0)
        throw std::runtime_error("cannot create the tree's window: " + answer);
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

long TreePlayer::calls() {
    const std::string answer = command("calls");
    if (answer.rfind("calls ", 0) != 0) throw std::runtime_error("calls: " + answer);
    return std::strtol(answer.c_str() + 6, nullptr, 10);
}

TreeCounts TreePlayer::counts() {
    const std::string answer = command("counts");
    if (answer.rfind("counts ", 0) != 0) throw std::runtime_error("counts: " + answer);
    const nlohmann::json parsed = nlohmann::json::parse(answer.substr(7));
    return {parsed.at("total").get<long>(),
            parsed.at("objects").get<std::map<std::string, std::map<std::string, long>>>()};
}

void TreePlayer::replaceTree(const std::string& json) {
    writeFileOrThrow(treePath(), json);
    const std::string answer = command("reload");
    if (answer != "ok") throw std::runtime_error("the player rejected the tree: " + answer);
}

}  // namespace e2e
