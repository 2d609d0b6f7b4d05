#pragma once
// The byte search in a Java performance-data file's contents: where the key lies, and the value
// that follows the text holding it. Works on plain bytes, so it builds anywhere.

#include <cstddef>
#include <string>

// Results of readPerfDataValue; callers only tell 0 from the rest.
enum PerfDataResult : int {
    kPerfDataFound = 0,
    kPerfDataCannotOpen = -1,
    kPerfDataNoSize = -2,
    kPerfDataTooLarge = -3,      // 4 GiB or more
    kPerfDataCannotMap = -4,     // an empty file ends here too
    kPerfDataNoView = -5,
    kPerfDataKeyNotFound = -6,   // also for files of 2 GiB or more
    kPerfDataNoRoomForValue = -7,
    kPerfDataOlderThanProcess = -8,  // left by an earlier process with the same id
};

// The first position at which `key` lies wholly within `data`, or -1. A negative size, or a key
// longer than the data, gives -1.
std::ptrdiff_t findBytes(const char* data, std::ptrdiff_t size, const char* key,
                         std::size_t keyLength);

// Finds the first `key` in the `size` bytes at `data`, skips the rest of the NUL-terminated text
// that holds it and its NUL, and stores the text after that (up to its NUL or the end of the
// data) in `value`. Returns kPerfDataFound, kPerfDataKeyNotFound or kPerfDataNoRoomForValue;
// `value` is untouched unless the value was found.
int extractPerfDataValue(const char* data, std::ptrdiff_t size, const std::string& key,
                         std::string& value);
