// Log lines built from the formats the program uses and texts of any bytes (class names, module
// paths and titles come from other processes): every line fits the buffer, ends in CR LF, and is
// the prefix and the message, cut where the line is full.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "diag/log_line.h"
#include "fuzz_check.h"

namespace {

constexpr std::size_t kGuard = 64;  // bytes after the line buffer that must stay untouched

struct Built {
    std::size_t length;
    std::string line;
};

Built build(const std::string& prefix, const char* format, ...) {
    // The line buffer lies at the start of a larger block whose tail must survive.
    char block[kLogLineSize + kGuard];
    std::memset(block, 0x5A, sizeof block);
    va_list args;
    va_start(args, format);
    std::size_t length = formatLogLine(block, prefix.c_str(), format, args);
    va_end(args);
    for (std::size_t i = kLogLineSize; i < sizeof block; ++i) FUZZ_CHECK(block[i] == 0x5A);
    FUZZ_CHECK(length < kLogLineSize);
    FUZZ_CHECK(block[length] == '\0');
    return {length, std::string(block, length)};
}

// The whole line the arguments would give without any limit.
std::string unlimited(const std::string& prefix, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string message(static_cast<std::size_t>(size) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(&message[0], message.size(), format, args);
    va_end(args);
    message.resize(static_cast<std::size_t>(size));
    return prefix.substr(0, std::strlen(prefix.c_str())) + message;
}

void check(const Built& built, const std::string& whole) {
    const std::size_t room = kLogLineSize - 3;  // before CR LF and the NUL
    const std::string expected = whole.substr(0, room) + "\r\n";
    FUZZ_CHECK(built.line == expected);
    FUZZ_CHECK(built.length == expected.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string prefix = input.ConsumeRandomLengthString(2 * kLogLineSize);
    const std::string text = input.ConsumeRandomLengthString(4 * kLogLineSize);
    const unsigned number = input.ConsumeIntegral<unsigned>();
    const int signedNumber = input.ConsumeIntegral<int>();
    const void* pointer = reinterpret_cast<const void*>(input.ConsumeIntegral<std::uintptr_t>());
    const char* t = text.c_str();

    switch (input.ConsumeIntegralInRange(0, 4)) {
        case 0:
            check(build(prefix, "%s", t), unlimited(prefix, "%s", t));
            break;
        case 1:
            check(build(prefix, "(%u, thread = %u) >>>> Function: %s", number, number / 3, t),
                  unlimited(prefix, "(%u, thread = %u) >>>> Function: %s", number, number / 3, t));
            break;
        case 2:
            check(build(prefix, "GetModuleInfo: path cannot converted to LongPathName (ret = %d) : %s",
                        signedNumber, t),
                  unlimited(prefix, "GetModuleInfo: path cannot converted to LongPathName (ret = %d) : %s",
                            signedNumber, t));
            break;
        case 3:
            check(build(prefix, "Chrome omnibox child window found: 0x%p", pointer),
                  unlimited(prefix, "Chrome omnibox child window found: 0x%p", pointer));
            break;
        default:
            check(build(prefix, "Warning %u: window class does not exist: %s", number, t),
                  unlimited(prefix, "Warning %u: window class does not exist: %s", number, t));
            break;
    }
    return 0;
}
