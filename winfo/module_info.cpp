#include "winfo/module_info.h"

#include <psapi.h>

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>

#include "util/unique_handle.h"
#include "winfo/window_query.h"

namespace {

constexpr DWORD kModuleListBytes = 8192;
constexpr DWORD kLongPathSize = 8192;
constexpr int kSubBlockSize = 520;
constexpr char kDescriptionKey[] = "FileDescription";

struct Translation {
    WORD language;
    WORD codePage;
};

// Copies the description of every translation in table order, so the last one found wins.
bool readDescription(const void* block, const std::string& path, char* description) {
    Translation* table = nullptr;
    UINT tableBytes = 0;
    if (!VerQueryValueA(block, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&table),
                        &tableBytes))
        tableBytes = 0;
    bool found = false;
    for (UINT entry = 0; entry < tableBytes / sizeof(Translation); ++entry) {
        char subBlock[kSubBlockSize];
        wsprintfA(subBlock, "\\StringFileInfo\\%04x%04x\\FileDescription", table[entry].language,
                  table[entry].codePage);
        char* value = nullptr;
        UINT valueSize = 0;
        if (!VerQueryValueA(block, subBlock, reinterpret_cast<void**>(&value), &valueSize))
            continue;
        char query[kSubBlockSize];
        wsprintfA(query, "\\StringFileInfo\\%04x%04x\\%s", table[entry].language,
                  table[entry].codePage, kDescriptionKey);
        if (VerQueryValueA(block, query, reinterpret_cast<void**>(&value), &valueSize)) found = true;
        FormatString(description, kDescriptionBufferSize, "%s", value);
        logMessage("Extracted file version from file '%s' (section '%s'): %s", path.c_str(),
                   kDescriptionKey, description);
    }
    return found;
}

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

// Descriptions of the executables seen so far, by path as the process list gives it.
struct KnownDescription {
    FILETIME lastWrite;
    DWORD sizeHigh;
    DWORD sizeLow;
    std::string description;
};
constexpr std::size_t kKnownDescriptionsLimit = 256;
std::map<std::string, KnownDescription> knownDescriptions;

bool sameFile(const KnownDescription& known, const WIN32_FILE_ATTRIBUTE_DATA& file) {
    return CompareFileTime(&known.lastWrite, &file.ftLastWriteTime) == 0 &&
           known.sizeHigh == file.nFileSizeHigh && known.sizeLow == file.nFileSizeLow;
}

}  // namespace

std::string describeExecutable(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &file))
        return GetVersionInfo(path);
    auto known = knownDescriptions.find(path);
    if (known != knownDescriptions.end() && sameFile(known->second, file))
        return known->second.description;
    std::string description = GetVersionInfo(path);
    // A long run across many executables keeps only a bounded number.
    if (knownDescriptions.size() >= kKnownDescriptionsLimit) knownDescriptions.clear();
    knownDescriptions[path] =
        KnownDescription{file.ftLastWriteTime, file.nFileSizeHigh, file.nFileSizeLow, description};
    return description;
}

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

    std::string className = GetWindowClassName(window);
    if (IsDesktopClass(className)) {
        logMessage("GetModuleInfo: Desktop window found (%s)", fileName);
        app.modulePath = "Desktop";
        app.description = "Desktop";
    } else {
        logMessage("GetModuleInfo: FileName %s", fileName);
        app.modulePath = longPathOf(fileName);
        app.description = describeExecutable(fileName);
    }
    app.title = GetWindowTitle(window);
    return ERROR_SUCCESS;
}

std::string GetVersionInfo(const std::string& path) {
    traceFunction("GetVersionInfo");
    char description[kDescriptionBufferSize] = {};
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) {
        logMessage("Failed to extract version information from file '%s' (section '%s')",
                   path.c_str(), kDescriptionKey);
    } else {
        lookout::unique_hglobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
        lookout::global_lock<void> block(memory.get());
        if (block && GetFileVersionInfoA(path.c_str(), handle, size, block.get()))
            readDescription(block.get(), path, description);
    }
    if (lstrlenA(description) <= 0) return "-";
    return description;
}

int FormatString(char* buffer, std::size_t size, const char* format, ...) {
    traceFunction("FormatString");
    if (!buffer || size == 0) return 0;
    va_list args;
    va_start(args, format);
    int count = std::vsnprintf(buffer, size, format, args);
    va_end(args);
    buffer[size - 1] = '\0';
    // A text that does not fit is cut to size - 1 bytes rather than dropped.
    if (count < 0 || static_cast<std::size_t>(count) >= size) count = static_cast<int>(std::strlen(buffer));
    return count;
}

bool IsDesktopClass(const std::string& className) {
    return CompareNoCase(className, "Progman") == 0 || CompareNoCase(className, "WorkerW") == 0;
}

int CompareNoCase(const std::string& a, const std::string& b) {
    std::string upperA = a;
    std::string upperB = b;
    for (char& c : upperA) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : upperB) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::size_t common = upperA.size() < upperB.size() ? upperA.size() : upperB.size();
    int order = std::memcmp(upperA.data(), upperB.data(), common);
    if (order != 0) return order;
    if (upperA.size() == upperB.size()) return 0;
    return upperA.size() < upperB.size() ? -1 : 1;
}
