#include "java/java_command.h"

#include <cstdint>
#include <string>
#include <utility>

#include "java/perf_data_file.h"
#include "java/perf_data_folder.h"
#include "util/record_text.h"
#include "util/unique_handle.h"

namespace {

constexpr char kJavaCommandKey[] = "javaCommand";

// When the process started, as a FILETIME number; 0 when that cannot be read.
std::uint64_t processStart(DWORD processId) {
    lookout::unique_kernel_handle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    FILETIME created, exited, kernel, user;
    if (!process || !GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) return 0;
    return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

}  // namespace

void lookupJavaCommand(DWORD processId, AppRecord& app, lookout::RecordSink& out) {
    const std::string folder = perfDataDirectory(out);
    // No folder to look in: a relative path would read whatever the current directory holds.
    if (folder.empty() || folder == kNoUserNameFolder) return;
    const std::string path = folder + std::to_string(static_cast<unsigned long>(processId));
    std::string command;
    // A file older than the process was left by an earlier one that had its id and died.
    if (readPerfDataValue(path, kJavaCommandKey, command, processStart(processId)) ==
        kPerfDataFound)
        app.modulePath = recordTextFromAnsi(std::move(command));  // the runtime writes ANSI
}
