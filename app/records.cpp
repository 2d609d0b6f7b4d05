#include "app/records.h"

#include <windows.h>

#include <utility>

#include "app/output_queue.h"

namespace {

constexpr DWORD kCloseWaitMs = 1000;

void writeRecord(std::string record, std::FILE* out) {
    if (out == stdout) {
        standardOutputQueue().queue(std::move(record));
        return;
    }
    std::fwrite(record.data(), 1, record.size(), out);
    std::fflush(out);
}

}  // namespace

void SendAppRecord(const AppRecord& app, std::FILE* out) {
    writeRecord(formatAppRecord(app), out);
}

void SendSiteRecord(const AppRecord& app, const SiteRecord& site, std::FILE* out) {
    writeRecord(formatSiteRecord(app, site), out);
}

bool closeStandardOutput() {
    if (!standardOutputQueue().close(kCloseWaitMs)) return false;
    std::fclose(stdout);
    return true;
}
