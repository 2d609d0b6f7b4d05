#include "winfo/module_info.h"

#include <psapi.h>

#include <string>
#include <utility>

#include "diag/debug_log.h"
#include "util/unique_handle.h"
#include "winfo/description_cache.h"
#include "winfo/desktop_class.h"
#include "winfo/window_query.h"

namespace {

constexpr DWORD kModuleListBytes = 8192;
constexpr DWORD kLongPathSize = 8192;

std::string longPathOf(const char* fileName) {
    std::string longPath(kLongPathSize, '\0');
    DWORD length = GetLongPathNameA(fileName, &longPath[0], kLongPathSize);
    if (length == 0 || length > kLongPathSize) {
        logMessage("GetModuleInfo: path cannot converted to LongPathName (ret = %d) : %s",
                   static_cast<int>(length), fileName);
        return fileName;
    }
    longPath.resize(length);
    return longPath;
}

}  // namespace

DWORD GetModuleInfo(DWORD processId, HWND window, AppRecord& app) {
    traceFunction("GetModuleInfo");
    lookout::unique_kernel_handle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) {
        DWORD error = GetLastError();
        logMessage("GetModuleInfo: OpenProcess failed");
        return error;
    }
    logMessage("GetModuleInfo: before EnumProcessModules");
    HMODULE modules[kModuleListBytes / sizeof(HMODULE)];
    DWORD listedBytes = 0;
    if (!EnumProcessModules(process.get(), modules, kModuleListBytes, &listedBytes)) {
        DWORD error = GetLastError();
        logMessage("GetModuleInfo: EnumProcessModules failed");
        return error;
    }
    logMessage("GetModuleInfo: EnumProcessModules succeeded");
    // A process without a readable executable name cannot be identified; reporting `app` as it
    // stands would give this window the previous window's path and title.
    if (listedBytes < sizeof(HMODULE)) return ERROR_MOD_NOT_FOUND;
    char fileName[MAX_PATH] = {};
    if (GetModuleFileNameExA(process.get(), modules[0], fileName, MAX_PATH) == 0) {
        DWORD error = GetLastError();
        return error ? error : ERROR_MOD_NOT_FOUND;
    }

    AppRecord found;
    std::string className = GetWindowClassName(window);
    if (IsDesktopClass(className)) {
        logMessage("GetModuleInfo: Desktop window found (%s)", fileName);
        found.modulePath = "Desktop";
        found.description = "Desktop";
    } else {
        logMessage("GetModuleInfo: FileName %s", fileName);
        found.modulePath = longPathOf(fileName);
        found.description = describeExecutable(fileName);
    }
    found.title = GetWindowTitle(window);
    // A window that vanished while it was identified (one that ends as it comes to the front)
    // has no title to read any more. It is not reported: the next poll reports what replaced it.
    if (found.title.empty() && !IsWindow(window)) {
        logMessage("GetModuleInfo: the window is gone");
        return ERROR_INVALID_WINDOW_HANDLE;
    }
    app = std::move(found);
    return ERROR_SUCCESS;
}
