#include "java/java_command.h"

#include <string>
#include <utility>

#include "java/perf_data_file.h"
#include "java/perf_data_folder.h"
#include "util/record_text.h"

namespace {

constexpr char kJavaCommandKey[] = "javaCommand";

}  // namespace

void lookupJavaCommand(DWORD processId, AppRecord& app, lookout::RecordSink& out) {
    const std::string folder = perfDataDirectory(out);
    // No folder to look in: a relative path would read whatever the current directory holds.
    if (folder.empty() || folder == kNoUserNameFolder) return;
    const std::string path = folder + std::to_string(static_cast<unsigned long>(processId));
    std::string command;
    if (readPerfDataValue(path, kJavaCommandKey, command) == kPerfDataFound)
        app.modulePath = recordTextFromAnsi(std::move(command));  // the runtime writes ANSI
}
