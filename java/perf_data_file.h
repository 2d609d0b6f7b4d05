#pragma once
// Reads one value out of a Java virtual machine's performance-data file. The file's layout is
// not interpreted: its bytes are searched for a key, and the NUL-terminated text that follows
// the text holding the key is the value.

#include <cstddef>
#include <cstdint>
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
};

// The first position at which `key` lies wholly within `data`, or -1. A negative size, or a key
// longer than the data, gives -1.
std::ptrdiff_t findBytes(const char* data, std::ptrdiff_t size, const char* key,
                         std::size_t keyLength);

// Maps the file read-only, sharing it with a writer, and stores the value after `key` in
// `value` when the result is kPerfDataFound. `value` is untouched otherwise.
int readPerfDataValue(const std::string& path, const std::string& key, std::string& value);
