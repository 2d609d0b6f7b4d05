// A DDE reply of any bytes, as a browser's server may send it: the split must stay within the
// reply and give exactly the first two quoted fields that a plain left-to-right scan finds. The
// same bytes taken as a whole DDEDATA block (flags, format, value) must be read within the block
// and give the value up to its first NUL.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "dde/dde_data_block.h"
#include "dde/dde_reply.h"
#include "fuzz_check.h"

namespace {

// The next quote at or after `start` that no backslash escapes, found one character at a time:
// a backslash takes the character after it along, whatever it is.
std::size_t scanForQuote(const std::string& text, std::size_t start) {
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] == '"') return i;
        if (text[i] == '\\') ++i;
    }
    return std::string::npos;
}

std::string scanField(const std::string& text, std::size_t& position) {
    std::size_t open = scanForQuote(text, position);
    if (open == std::string::npos) return {};
    std::size_t close = scanForQuote(text, open + 1);
    if (close == std::string::npos) return {};
    position = close + 1;
    return text.substr(open + 1, close - open - 1);
}

}  // namespace

namespace {

void checkDataBlock(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the block's size, so that a read one byte past it is caught.
    std::unique_ptr<unsigned char[]> block(new unsigned char[size ? size : 1]);
    if (size) std::memcpy(block.get(), data, size);
    const DDEDataContent content = readDDEDataBlock(block.get(), size);
    FUZZ_CHECK(content.readable == (size >= kDDEDataHeaderSize));
    if (!content.readable) {
        FUZZ_CHECK(content.text.empty());
        return;
    }
    const unsigned flags = data[0] | (static_cast<unsigned>(data[1]) << 8);
    FUZZ_CHECK(content.ackRequested == ((flags & 0x8000) != 0));
    FUZZ_CHECK(content.release == ((flags & 0x2000) != 0));
    const std::string value(reinterpret_cast<const char*>(data) + kDDEDataHeaderSize,
                            size - kDDEDataHeaderSize);
    FUZZ_CHECK(content.text == value.substr(0, value.find('\0')));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkDataBlock(data, size);
    const std::string reply(reinterpret_cast<const char*>(data), size);

    std::string url = "stale url", title = "stale title";
    useFirstAndSecondPartOfDDEString(reply, url, title);

    std::size_t position = 0;
    const std::string expectedUrl = scanField(reply, position);
    const std::string expectedTitle = scanField(reply, position);
    FUZZ_CHECK(url == expectedUrl);
    FUZZ_CHECK(title == expectedTitle);

    // Each field search from any start stays within the reply and moves only forwards.
    for (std::size_t start : {std::size_t{0}, size / 2, size, size + 1}) {
        std::size_t at = start;
        std::string field = getStringInQuotes(reply, at);
        FUZZ_CHECK(at == start || (at > start && at <= size));
        FUZZ_CHECK(field.size() <= size);
        std::size_t quote = getNextNotSlahedSymbolPos(reply, start);
        FUZZ_CHECK(quote == kNoPosition || (quote >= start && quote < size && reply[quote] == '"'));
    }
    return 0;
}
