#pragma once
// UTF-8 for the records: written from UTF-16, and cut to a byte limit at a character boundary.
// Standard C++ only, so that it builds anywhere.
//
// Every byte of a multi-byte UTF-8 sequence is 0x80 or above, so "$" and LF in the output come
// only from those characters themselves: the record's separators keep their meaning.

#include <cstddef>
#include <string>

namespace lookout {

// What a surrogate without its partner becomes: it names no character.
constexpr char32_t kReplacementCharacter = 0xFFFD;

// Appends one code point (at most U+10FFFF) in UTF-8.
void appendUtf8(std::string& text, char32_t codePoint);

// `count` UTF-16 units in UTF-8. Each lone surrogate becomes U+FFFD. `Unit` is wchar_t on
// Windows, char16_t anywhere.
template <typename Unit>
std::string utf8FromUtf16(const Unit* units, std::size_t count) {
    static_assert(sizeof(Unit) == 2, "UTF-16 units");
    std::string text;
    text.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t unit = static_cast<char16_t>(units[i]);
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        const char32_t next = i + 1 < count ? static_cast<char16_t>(units[i + 1]) : 0;
        if (high && next >= 0xDC00 && next <= 0xDFFF) {
            appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++i;
        } else {
            appendUtf8(text, high || low ? kReplacementCharacter : unit);
        }
    }
    return text;
}

// The length of the longest start of the UTF-8 `text` that holds at most `maxBytes` bytes and
// ends before the first character that does not fit whole.
std::size_t utf8PrefixLength(const std::string& text, std::size_t maxBytes);

}  // namespace lookout
