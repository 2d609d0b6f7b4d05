// The contents of a Java performance-data file, which the virtual machine writes and any process
// of the user can change: the search must stay within the data and find what a plain search does.
// The first byte of the input chooses the key: "javaCommand" when it is even, otherwise the next
// (byte / 2 % 16) bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "java/perf_data_search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    if (size == 0) return 0;
    const char* bytes = reinterpret_cast<const char*>(input);
    std::string key = "javaCommand";
    std::size_t at = 1;
    if (input[0] & 1) {
        std::size_t keyLength = std::min<std::size_t>(input[0] / 2 % 16, size - 1);
        key.assign(bytes + 1, keyLength);
        at += keyLength;
    }
    // A buffer of exactly the data's size, so that a read one byte past it is caught.
    const std::size_t dataSize = size - at;
    std::unique_ptr<char[]> data(new char[dataSize ? dataSize : 1]);
    std::memcpy(data.get(), bytes + at, dataSize);
    const std::string view(data.get(), dataSize);

    const std::ptrdiff_t found =
        findBytes(data.get(), static_cast<std::ptrdiff_t>(dataSize), key.data(), key.size());
    const std::size_t expectedAt = view.find(key);
    FUZZ_CHECK(found == (expectedAt == std::string::npos ? -1 : static_cast<std::ptrdiff_t>(expectedAt)));
    FUZZ_CHECK(findBytes(data.get(), -1, key.data(), key.size()) == -1);

    std::string value = "untouched";
    const int result =
        extractPerfDataValue(data.get(), static_cast<std::ptrdiff_t>(dataSize), key, value);
    if (expectedAt == std::string::npos) {
        FUZZ_CHECK(result == kPerfDataKeyNotFound);
        FUZZ_CHECK(value == "untouched");
        return 0;
    }
    const std::size_t keyTextEnd = view.find('\0', expectedAt);
    if (keyTextEnd == std::string::npos || keyTextEnd + 1 >= dataSize) {
        FUZZ_CHECK(result == kPerfDataNoRoomForValue);
        FUZZ_CHECK(value == "untouched");
        return 0;
    }
    FUZZ_CHECK(result == kPerfDataFound);
    const std::size_t valueEnd = std::min(view.find('\0', keyTextEnd + 1), dataSize);
    FUZZ_CHECK(value == view.substr(keyTextEnd + 1, valueEnd - keyTextEnd - 1));
    return 0;
}
