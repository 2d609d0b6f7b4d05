#include "app/pending_reports.h"

#include <utility>

#include "app/records.h"
#include "diag/debug_log.h"

void PendingReports::add(PendingReport report) { reports_.push_back(std::move(report)); }

void PendingReports::writeReady(std::uint64_t now, lookout::RecordSink& out) {
    while (!reports_.empty()) {
        PendingReport& head = reports_.front();
        std::optional<SiteRecord> site;
        if (head.read) {
            if (head.read->finished()) {
                site = head.read->site();
                logMessage(site ? "Browser processing finished" : "Browser processing FAILED");
            } else if (now >= head.deadline) {
                logMessage("Browser processing: no address within %u ms; the read is given up",
                           static_cast<unsigned>(head.deadline - head.changeTick));
                site = std::move(head.timedOutSite);
            } else {
                return;
            }
        }
        if (!head.leadingLines.empty()) out.write(std::move(head.leadingLines));
        if (site)
            SendSiteRecord(head.app, *site, out);
        else
            SendAppRecord(head.app, out);
        reports_.pop_front();
    }
}
