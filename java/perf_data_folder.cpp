#include "java/perf_data_folder.h"

#include <windows.h>

namespace {

constexpr DWORD kUserNameSize = 1024;

std::optional<std::string> environmentValue(const char* name) {
    std::string value;
    DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
    // The variable may change between the two calls; try again with the new size then.
    while (needed > value.size()) {
        value.resize(needed);
        needed = GetEnvironmentVariableA(name, &value[0], static_cast<DWORD>(value.size()));
    }
    if (needed == 0) return std::nullopt;
    value.resize(needed);
    return value;
}

std::optional<std::string> currentUserName() {
    char name[kUserNameSize] = {};
    DWORD size = kUserNameSize;
    if (!GetUserNameA(name, &size)) return std::nullopt;
    return std::string(name);
}

}  // namespace

std::string perfDataDirectoryFrom(const std::optional<std::string>& temp,
                                  const std::optional<std::string>& userName,
                                  lookout::RecordSink& out) {
    if (!userName) {
        // Narrow bytes, in the stream's order between the records: a wide stream in binary
        // mode would put UTF-16 into the record stream that the parent parses.
        out.write("GetUserName error\n");
        return kNoUserNameFolder;
    }
    // Without TEMP there is no folder; a path built from nothing would point at the root of
    // the current drive.
    if (!temp || temp->empty()) return std::string();
    return *temp + "\\hsperfdata_" + *userName + "\\";
}

std::string perfDataDirectory(lookout::RecordSink& out) {
    return perfDataDirectoryFrom(environmentValue("TEMP"), currentUserName(), out);
}
