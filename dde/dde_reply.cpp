#include "dde/dde_reply.h"

#include "diag/trace.h"

namespace {

constexpr char kQuote = '"';
constexpr char kEscape = '\\';

}  // namespace

std::size_t getNextNotSlahedSymbolPos(const std::string& source, std::size_t start) {
    traceFunction("getNextNotSlahedSymbolPos");
    // The quote found is kept until the escapes pass it, so that a reply made of many escapes
    // is scanned once and not once per escape.
    std::size_t quote = std::string::npos;
    while (start < source.size()) {
        if (quote == std::string::npos || quote < start) {
            quote = source.find(kQuote, start);
            if (quote == std::string::npos) return kNoPosition;
        }
        std::size_t escape = source.find(kEscape, start);
        if (escape == std::string::npos || quote < escape) return quote;
        start = escape + 2;  // the escaped character, whatever it is, is passed over
    }
    return kNoPosition;
}

std::string getStringInQuotes(const std::string& source, std::size_t& position) {
    traceFunction("getStringInQuotes");
    std::size_t open = getNextNotSlahedSymbolPos(source, position);
    if (open == kNoPosition || open + 1 >= source.size()) return {};
    std::size_t close = getNextNotSlahedSymbolPos(source, open + 1);
    if (close == kNoPosition) return {};
    position = close + 1;
    return source.substr(open + 1, close - open - 1);
}

void useFirstAndSecondPartOfDDEString(const std::string& reply, std::string& url,
                                      std::string& title) {
    traceFunction("useFirstAndSecondPartOfDDEString");
    std::size_t position = 0;
    url = getStringInQuotes(reply, position);
    title = getStringInQuotes(reply, position);
}
