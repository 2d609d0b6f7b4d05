#include "diag/debug_log.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwchar>

HANDLE debugLogFile = nullptr;
CRITICAL_SECTION debugLogLock;

namespace {

bool lockInitialised = false;

constexpr char kLineEnd[] = "\r\n";
constexpr std::size_t kLineEndSize = 2;
constexpr DWORD kStringsWarningThreshold = 1024;

// Holds debugLogLock for one write operation. Returns false, holding nothing, when the log was
// closed by another thread between the caller's unguarded test and taking the lock.
class LogWriteScope {
public:
    LogWriteScope() {
        EnterCriticalSection(&debugLogLock);
        if (debugLogFile) SetFilePointer(debugLogFile, 0, nullptr, FILE_END);
    }
    ~LogWriteScope() { LeaveCriticalSection(&debugLogLock); }
    LogWriteScope(const LogWriteScope&) = delete;
    LogWriteScope& operator=(const LogWriteScope&) = delete;

    bool open() const { return debugLogFile != nullptr; }
    DWORD write(const void* bytes, std::size_t size) {
        DWORD written = 0;
        if (size > 0) WriteFile(debugLogFile, bytes, static_cast<DWORD>(size), &written, nullptr);
        return written;
    }
};

std::string formatLocalTime(const char* format) {
    std::time_t now = std::time(nullptr);
    std::tm* local = std::localtime(&now);
    if (!local) return {};
    char text[64];
    std::size_t size = std::strftime(text, sizeof text, format, local);
    return std::string(text, size);
}

}  // namespace

void initDebugLogLock() {
    if (lockInitialised) return;
    InitializeCriticalSection(&debugLogLock);
    lockInitialised = true;
}

std::string debugLogPathFor(const std::string& executablePath) {
    std::string lower = executablePath;
    if (!lower.empty()) CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
    std::size_t dotExe = lower.find(".exe");
    if (dotExe == std::string::npos) return {};
    return lower.substr(0, dotExe) + ".log";
}

std::string logTimePrefix() { return formatLocalTime("%H:%M:%S: "); }

void openDebugLogAt(const std::string& path) {
    if (debugLogFile) return;
    if (!path.empty()) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_ALWAYS,
                                  FILE_FLAG_WRITE_THROUGH | FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) debugLogFile = file;
    }
    logMessage("Logging started: %s", formatLocalTime("%d-%m-%Y").c_str());
}

void openDebugLog() {
    if (debugLogFile) return;
    char modulePath[MAX_PATH] = {};
    DWORD size = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    openDebugLogAt(size ? debugLogPathFor(modulePath) : std::string());
}

// The handle is cleared under the lock, so a writer on another thread either finishes its line
// first or finds the log closed. The lock itself is kept for the rest of the process: a writer
// may have seen the handle set just before the close and still be about to enter it.
void closeDebugLog() {
    HANDLE file = nullptr;
    if (lockInitialised) {
        EnterCriticalSection(&debugLogLock);
        file = debugLogFile;
        debugLogFile = nullptr;
        LeaveCriticalSection(&debugLogLock);
    } else {
        file = debugLogFile;
        debugLogFile = nullptr;
    }
    if (file) CloseHandle(file);
}

void logMessage(const char* format, ...) {
    if (!debugLogFile) return;
    LogWriteScope scope;
    if (!scope.open()) return;
    char line[kLogLineSize];
    va_list args;
    va_start(args, format);
    std::size_t length = formatLogLine(line, logTimePrefix().c_str(), format, args);
    va_end(args);
    scope.write(line, length);
}

void logStrings(const char* text1, const char* text2, const char* text3) {
    if (!debugLogFile) return;
    LogWriteScope scope;
    if (!scope.open()) return;
    DWORD total = 0;
    for (const char* text : {text1, text2, text3})
        if (text) total += scope.write(text, std::strlen(text));
    total += scope.write(kLineEnd, kLineEndSize);
    if (total >= kStringsWarningThreshold) {
        static const char kWarning[] = "Warning: the logged message is too long!!!\r\n";
        scope.write(kWarning, sizeof kWarning - 1);
    }
}

void logWide(const wchar_t* text1, const wchar_t* text2) {
    if (!debugLogFile) return;
    LogWriteScope scope;
    if (!scope.open()) return;
    for (const wchar_t* text : {text1, text2})
        if (text) scope.write(text, std::wcslen(text) * sizeof(wchar_t));
    scope.write(L"\r\n", 2 * sizeof(wchar_t));
}

void traceFunction(const char* traceName) {
    if (debugLogFile)
        logMessage("(%u, thread = %u) >>>> Function: %s", static_cast<unsigned>(GetTickCount()),
                   static_cast<unsigned>(GetCurrentThreadId()), traceName);
}
