// UTF-16 of any units (titles, paths and accessibility texts come from other processes) in UTF-8,
// and its cut to a byte limit: the text checked against glibc's iconv once each lone surrogate is
// U+FFFD, the cut against the shape of UTF-8.
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "util/utf8.h"

namespace {

bool isSurrogate(char16_t unit, char16_t first) { return unit >= first && unit < first + 0x400; }

// iconv's conversion; false when it rejects the input.
bool iconvert(const char* to, const char* from, std::string in, std::string& out) {
    iconv_t converter = iconv_open(to, from);
    FUZZ_CHECK(converter != reinterpret_cast<iconv_t>(-1));
    out.assign(in.size() * 4 + 16, '\0');  // UTF-32 takes at most 4 bytes a byte
    char* inAt = &in[0];
    char* outAt = &out[0];
    std::size_t inLeft = in.size(), outLeft = out.size();
    const bool done = iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != std::size_t(-1);
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return done && inLeft == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t limit = data[0] | (data[1] & 0x0F) << 8;
    std::u16string units, fixed;
    for (std::size_t i = 2; i + 1 < size; i += 2)
        units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const bool high = isSurrogate(units[i], 0xD800), low = isSurrogate(units[i], 0xDC00);
        if (high && i + 1 < units.size() && isSurrogate(units[i + 1], 0xDC00)) {
            fixed += units[i];
            fixed += units[++i];
        } else {
            fixed += high || low ? u'\xFFFD' : units[i];
        }
    }
    const std::string text = lookout::utf8FromUtf16(units.data(), units.size());
    std::string expected;
    FUZZ_CHECK(iconvert("UTF-8", "UTF-16LE",
                        std::string(reinterpret_cast<const char*>(fixed.data()), fixed.size() * 2),
                        expected));
    FUZZ_CHECK(text == expected);

    // Whole characters only, as many as fit.
    const std::size_t kept = lookout::utf8PrefixLength(text, limit);
    FUZZ_CHECK(kept <= text.size() && kept <= limit);
    FUZZ_CHECK(text.size() > limit || kept == text.size());
    std::string decoded;
    FUZZ_CHECK(iconvert("UTF-32LE", "UTF-8", text.substr(0, kept), decoded));
    if (kept < text.size()) {
        const unsigned char next = static_cast<unsigned char>(text[kept]);
        const std::size_t length = next < 0x80 ? 1 : next >= 0xF0 ? 4 : next >= 0xE0 ? 3 : 2;
        FUZZ_CHECK((next & 0xC0) != 0x80 && kept + length > limit);
    }
    return 0;
}
