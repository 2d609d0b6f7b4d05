#pragma once
// Where a Java virtual machine keeps the performance-data files of the current user.

#include <cstdio>
#include <optional>
#include <string>

// What perfDataDirectory gives in place of a folder when the user name cannot be had.
constexpr char kNoUserNameFolder[] = "noname_error";

// TEMP, "\hsperfdata_", the user name and "\". When the user name cannot be obtained it writes
// the line "GetUserName error" to standard output and returns kNoUserNameFolder; when TEMP is
// not set (or empty) it returns an empty text.
std::string perfDataDirectory();

// The same from given parts, absent ones as std::nullopt; the diagnostic line goes to `out`.
std::string perfDataDirectoryFrom(const std::optional<std::string>& temp,
                                  const std::optional<std::string>& userName, std::FILE* out);
