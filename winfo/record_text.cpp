#include "winfo/record_text.h"

#include <windows.h>

#include <algorithm>

std::string recordText(const std::wstring& text) {
    if (text.empty()) return {};
    const int units = static_cast<int>(text.size());
    int length = WideCharToMultiByte(CP_ACP, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), units, &bytes[0], length, nullptr, nullptr);
    return bytes;
}

std::string recordText(const std::wstring& text, std::size_t maxBytes) {
    // Every UTF-16 unit gives at least one byte, so no more than maxBytes units can fit.
    std::size_t units = std::min(text.size(), maxBytes);
    for (;;) {
        // A surrogate pair is one character: both halves stay or both go.
        if (units > 0 && units < text.size() && IS_LOW_SURROGATE(text[units])) --units;
        std::string bytes = recordText(text.substr(0, units));
        if (bytes.size() <= maxBytes) return bytes;
        --units;
    }
}
