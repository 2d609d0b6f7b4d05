#include "util/record_text.h"

#include <windows.h>

#include <algorithm>

#include "util/utf8.h"

namespace {

RecordEncoding encoding = RecordEncoding::kAnsiCodePage;

std::wstring wideFrom(UINT codePage, const std::string& bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, &text[0], length);
    return text;
}

std::string utf8Text(const std::wstring& text) {
    return lookout::utf8FromUtf16(text.data(), text.size());
}

}  // namespace

void setRecordEncoding(RecordEncoding chosen) { encoding = chosen; }

bool recordsInUtf8() { return encoding == RecordEncoding::kUtf8; }

std::string ansiText(const std::wstring& text) {
    if (text.empty()) return {};
    const int units = static_cast<int>(text.size());
    int length = WideCharToMultiByte(CP_ACP, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), units, &bytes[0], length, nullptr, nullptr);
    return bytes;
}

std::string ansiText(const std::wstring& text, std::size_t maxBytes) {
    // Every UTF-16 unit gives at least one byte, so no more than maxBytes units can fit.
    std::size_t units = std::min(text.size(), maxBytes);
    for (;;) {
        // A surrogate pair is one character: both halves stay or both go.
        if (units > 0 && units < text.size() && IS_LOW_SURROGATE(text[units])) --units;
        std::string bytes = ansiText(text.substr(0, units));
        if (bytes.size() <= maxBytes) return bytes;
        --units;
    }
}

std::string recordText(const std::wstring& text) {
    return recordsInUtf8() ? utf8Text(text) : ansiText(text);
}

std::string recordText(const std::wstring& text, std::size_t maxBytes) {
    if (!recordsInUtf8()) return ansiText(text, maxBytes);
    std::string bytes = utf8Text(text);
    bytes.resize(lookout::utf8PrefixLength(bytes, maxBytes));
    return bytes;
}

std::string recordTextFromAnsi(std::string bytes) {
    if (!recordsInUtf8()) return bytes;
    return utf8Text(wideFrom(CP_ACP, bytes));
}

std::string ansiFromRecordText(const std::string& text) {
    if (!recordsInUtf8()) return text;
    return ansiText(wideFrom(CP_UTF8, text));
}
