#pragma once
// Where a Java virtual machine keeps the performance-data files of the current user.

#include <optional>
#include <string>

#include "util/record_sink.h"

// What perfDataDirectory gives in place of a folder when the user name cannot be had.
constexpr char kNoUserNameFolder[] = "noname_error";

// TEMP, "\hsperfdata_", the user name and "\". When the user name cannot be obtained it writes
// the line "GetUserName error" to `out`, the parent's stream, and returns kNoUserNameFolder; when
// TEMP is not set (or empty) it returns an empty text.
std::string perfDataDirectory(lookout::RecordSink& out);

// The same from given parts, absent ones as std::nullopt.
std::string perfDataDirectoryFrom(const std::optional<std::string>& temp,
                                  const std::optional<std::string>& userName,
                                  lookout::RecordSink& out);
