// A DDE reply of any bytes, as a browser's server may send it: the split must stay within the
// reply and give exactly the first two quoted fields that a plain left-to-right scan finds.
#include <cstddef>
#include <cstdint>
#include <string>

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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
