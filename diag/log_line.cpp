#include "diag/log_line.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr std::size_t kLineEndSize = 2;

}  // namespace

std::size_t formatLogLine(char* line, const char* prefix, const char* format, va_list args) {
    const std::size_t room = kLogLineSize - 1 - kLineEndSize;  // message bytes before CR LF
    std::size_t length = std::strlen(prefix);
    if (length > room) length = room;
    std::memcpy(line, prefix, length);
    // The last byte is kept out of the formatter's reach: some run-times report a cut as -1 and
    // leave the text unterminated, and the measuring below must still find a NUL in the buffer.
    line[kLogLineSize - 1] = '\0';
    int formatted = std::vsnprintf(line + length, kLogLineSize - 1 - length, format, args);
    if (formatted < 0) formatted = static_cast<int>(std::strlen(line + length));
    length += static_cast<std::size_t>(formatted);
    if (length > room) length = room;
    std::memcpy(line + length, kLineEnd, kLineEndSize + 1);
    return length + kLineEndSize;
}
