#include "java/perf_data_search.h"

#include <cstring>

namespace {

// The length of the text at `text`, up to its NUL or to the end of the data, whichever is first.
std::size_t boundedLength(const char* text, std::size_t available) {
    const void* nul = std::memchr(text, '\0', available);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : available;
}

}  // namespace

std::ptrdiff_t findBytes(const char* data, std::ptrdiff_t size, const char* key,
                         std::size_t keyLength) {
    if (size < 0 || keyLength > static_cast<std::size_t>(size)) return -1;
    const std::size_t lastStart = static_cast<std::size_t>(size) - keyLength;
    for (std::size_t position = 0; position <= lastStart; ++position) {
        if (std::memcmp(data + position, key, keyLength) == 0)
            return static_cast<std::ptrdiff_t>(position);
    }
    return -1;
}

int extractPerfDataValue(const char* data, std::ptrdiff_t size, const std::string& key,
                         std::string& value) {
    const std::ptrdiff_t keyAt = findBytes(data, size, key.data(), key.size());
    if (keyAt < 0) return kPerfDataKeyNotFound;

    // Skip the rest of the text that holds the key, and its NUL.
    const std::size_t end = static_cast<std::size_t>(size);
    std::size_t valueAt = static_cast<std::size_t>(keyAt);
    valueAt += boundedLength(data + valueAt, end - valueAt) + 1;
    if (valueAt >= end) return kPerfDataNoRoomForValue;

    value.assign(data + valueAt, boundedLength(data + valueAt, end - valueAt));
    return kPerfDataFound;
}
