#include "winfo/version_info.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "util/unique_handle.h"

namespace {

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

}  // namespace

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
