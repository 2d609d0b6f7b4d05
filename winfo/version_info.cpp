#include "winfo/version_info.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "util/record_text.h"
#include "util/unique_handle.h"
#include "winfo/image_path.h"

namespace {

constexpr int kSubBlockSize = 520;
constexpr char kDescriptionKey[] = "FileDescription";
constexpr wchar_t kDescriptionKeyWide[] = L"FileDescription";

struct Translation {
    WORD language;
    WORD codePage;
};

// The description of every translation in table order, so the last one found wins.
bool readDescription(const void* block, const std::string& shownPath, std::wstring& description) {
    Translation* table = nullptr;
    UINT tableBytes = 0;
    if (!VerQueryValueW(block, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&table),
                        &tableBytes))
        tableBytes = 0;
    bool found = false;
    for (UINT entry = 0; entry < tableBytes / sizeof(Translation); ++entry) {
        wchar_t subBlock[kSubBlockSize];
        wsprintfW(subBlock, L"\\StringFileInfo\\%04x%04x\\FileDescription", table[entry].language,
                  table[entry].codePage);
        wchar_t* value = nullptr;
        UINT valueSize = 0;
        if (!VerQueryValueW(block, subBlock, reinterpret_cast<void**>(&value), &valueSize))
            continue;
        wchar_t query[kSubBlockSize];
        wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\%s", table[entry].language,
                  table[entry].codePage, kDescriptionKeyWide);
        if (VerQueryValueW(block, query, reinterpret_cast<void**>(&value), &valueSize))
            found = true;
        // The size counts characters; the text ends at its NUL, or at the size.
        description.assign(value, value ? wcsnlen(value, valueSize) : 0);
        logMessage("Extracted file version from file '%s' (section '%s'): %s", shownPath.c_str(),
                   kDescriptionKey,
                   ansiText(description, kDescriptionBufferSize - 1).c_str());
    }
    return found;
}

}  // namespace

std::string GetVersionInfo(const std::wstring& path) {
    traceFunction("GetVersionInfo");
    const std::string shownPath = ansiText(path);  // for the log, which stays in the code page
    const std::wstring filePath = fileApiPath(path);
    std::wstring description;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(filePath.c_str(), &handle);
    if (size == 0) {
        logMessage("Failed to extract version information from file '%s' (section '%s')",
                   shownPath.c_str(), kDescriptionKey);
    } else {
        lookout::unique_hglobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
        lookout::global_lock<void> block(memory.get());
        if (block && GetFileVersionInfoW(filePath.c_str(), handle, size, block.get()))
            readDescription(block.get(), shownPath, description);
    }
    std::string text = recordText(description, kDescriptionBufferSize - 1);
    if (text.empty()) return "-";
    return text;
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
