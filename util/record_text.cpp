#include "util/record_text.h"

#include <windows.h>

#include <algorithm>
#include <limits>

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
    return codePageText(text, CP_ACP, std::numeric_limits<std::size_t>::max());
}

std::string ansiText(const std::wstring& text, std::size_t maxBytes) {
    return codePageText(text, CP_ACP, maxBytes);
}

std::string codePageText(const std::wstring& text, unsigned codePage, std::size_t maxBytes,
                         bool bestFit) {
    // UTF-8 (a possible ANSI code page) takes no flags but this one.
    const UINT actual = codePage == CP_ACP ? GetACP() : codePage;
    const DWORD flags = bestFit || actual == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    auto convert = [&](std::size_t units) {
        if (units == 0) return std::string();
        const int count = static_cast<int>(units);
        int length = WideCharToMultiByte(actual, flags, text.data(), count, nullptr, 0, nullptr,
                                         nullptr);
        if (length <= 0) return std::string();
        std::string bytes(static_cast<std::size_t>(length), '\0');
        WideCharToMultiByte(actual, flags, text.data(), count, &bytes[0], length, nullptr,
                            nullptr);
        return bytes;
    };
    // A surrogate pair is one character: both halves stay or both go.
    auto wholeCharacters = [&](std::size_t units) {
        return units > 0 && units < text.size() && IS_LOW_SURROGATE(text[units]) ? units - 1
                                                                                 : units;
    };
    std::string whole = convert(text.size());
    if (whole.size() <= maxBytes) return whole;
    // The converted length grows with the units converted: the longest start that fits is
    // found by halving. Every unit gives at least one byte, so no more than maxBytes can fit.
    std::size_t fits = 0, tooLong = std::min(text.size(), maxBytes + 1);
    std::string kept;
    while (tooLong - fits > 1) {
        const std::size_t middle = fits + (tooLong - fits) / 2;
        std::string bytes = convert(middle);
        if (bytes.size() <= maxBytes) {
            fits = middle;
            kept = std::move(bytes);
        } else {
            tooLong = middle;
        }
    }
    const std::size_t units = wholeCharacters(fits);
    return units == fits ? kept : convert(units);
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

std::string recordPathText(const std::wstring& path) {
    if (recordsInUtf8()) return utf8Text(path);
    return codePageText(path, CP_ACP, std::numeric_limits<std::size_t>::max(), false);
}

std::string recordTextFromAnsi(std::string bytes) {
    if (!recordsInUtf8()) return bytes;
    return utf8Text(wideFrom(CP_ACP, bytes));
}

std::string ansiFromRecordText(const std::string& text) {
    if (!recordsInUtf8()) return text;
    return ansiText(wideFrom(CP_UTF8, text));
}
