#pragma once
// Reads one value out of a Java virtual machine's performance-data file. The file's layout is
// not interpreted: its bytes are searched for a key, and the NUL-terminated text that follows
// the text holding the key is the value.

#include <cstdint>
#include <string>

#include "java/perf_data_search.h"

// Maps the file read-only, sharing it with a writer, and stores the value after `key` in
// `value` when the result is kPerfDataFound. `value` is untouched otherwise. Only the first
// 16 MiB of the file are searched: a key beyond them is not found. A file created before
// `notBefore` (a FILETIME as a number; 0 for no bound) is not read: kPerfDataOlderThanProcess.
int readPerfDataValue(const std::string& path, const std::string& key, std::string& value,
                      std::uint64_t notBefore = 0);
