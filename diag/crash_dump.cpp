#include "diag/crash_dump.h"

// windows.h must come before these.
#include <dbghelp.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <cstdio>

#include "diag/debug_log.h"
#include "util/unique_handle.h"

namespace {

// The documents folder, or the executable's folder when the system cannot name it.
std::string dumpBaseFolder() {
    char folder[MAX_PATH] = {};
    HRESULT result = SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (result != S_OK) {
        logMessage("Error 0x%x: Can't obtain user documents folder", static_cast<unsigned>(result));
        GetModuleFileNameA(nullptr, folder, MAX_PATH);
        folder[MAX_PATH - 1] = '\0';
        PathRemoveFileSpecA(folder);
    }
    return folder;
}

// Formats into a 260-character buffer: a longer path is cut and used as it is.
template <typename... Args>
std::string formatPath(const char* format, Args... args) {
    char path[MAX_PATH] = {};
    std::snprintf(path, MAX_PATH, format, args...);
    return path;
}

void logException(const EXCEPTION_POINTERS* exceptionInfo) {
    if (exceptionInfo && exceptionInfo->ExceptionRecord)
        logMessage("Exception was raised: 0x%x",
                   static_cast<unsigned>(exceptionInfo->ExceptionRecord->ExceptionCode));
    else
        logMessage("Exception was raised (?" "?)");  // split: "??)" is a trigraph
}

std::atomic<unsigned> recoverableFaults{0};

}  // namespace

std::string dumpFileName(const std::string& dumpFolder, const SYSTEMTIME& localTime,
                         DWORD processId, DWORD threadId) {
    return formatPath("%s\\dump-%04d%02d%02d-%02d%02d%02d-%ld-%ld.dmp", dumpFolder.c_str(),
                      localTime.wYear, localTime.wMonth, localTime.wDay, localTime.wHour,
                      localTime.wMinute, localTime.wSecond, static_cast<long>(processId),
                      static_cast<long>(threadId));
}

LONG GenerateDump(EXCEPTION_POINTERS* exceptionInfo) {
    SYSTEMTIME localTime;
    GetLocalTime(&localTime);
    std::string dumpFolder = formatPath("%s\\dumps", dumpBaseFolder().c_str());
    CreateDirectoryA(dumpFolder.c_str(), nullptr);  // an existing folder is fine
    std::string fileName =
        dumpFileName(dumpFolder, localTime, GetCurrentProcessId(), GetCurrentThreadId());
    lookout::unique_hfile file(CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           CREATE_ALWAYS, 0, nullptr));

    MINIDUMP_EXCEPTION_INFORMATION exception = {};
    exception.ThreadId = GetCurrentThreadId();
    exception.ExceptionPointers = exceptionInfo;
    exception.ClientPointers = TRUE;
    // Without exception information the dump is still written, without an exception stream.
    MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(),
                      MiniDumpWithDataSegs, exceptionInfo ? &exception : nullptr, nullptr,
                      nullptr);

    logException(exceptionInfo);
    return EXCEPTION_EXECUTE_HANDLER;
}

LONG GenerateRecoverableDump(EXCEPTION_POINTERS* exceptionInfo) {
    if (recoverableFaults.fetch_add(1) < kRecoverableDumpsPerRun)
        return GenerateDump(exceptionInfo);
    logException(exceptionInfo);
    logMessage("No dump written: this run has written %u for faults it survived",
               kRecoverableDumpsPerRun);
    return EXCEPTION_EXECUTE_HANDLER;
}
