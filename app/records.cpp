#include "app/records.h"

#include <windows.h>

#include <cstdio>

#include "app/output_queue.h"

namespace {

constexpr DWORD kCloseWaitMs = 1000;

}  // namespace

void SendAppRecord(const AppRecord& app, lookout::RecordSink& out) {
    out.write(formatAppRecord(app));
}

void SendSiteRecord(const AppRecord& app, const SiteRecord& site, lookout::RecordSink& out) {
    out.write(formatSiteRecord(app, site));
}

lookout::RecordSink& standardOutput() { return standardOutputQueue(); }

void flushStandardOutput() { standardOutputQueue().drain(kCloseWaitMs); }

bool closeStandardOutput() {
    if (!standardOutputQueue().close(kCloseWaitMs)) return false;
    std::fclose(stdout);
    return true;
}
