#pragma once
// The reports the monitor loop has made and not written yet, in the order of the changes that
// caused them. A browser window's report waits for its address, read on another thread, up to
// the read's bound; the reports of the changes that came meanwhile wait behind it, so that the
// parent sees the windows in the order the user saw them. The polling thread alone adds and
// writes, so records never interleave.

#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "util/record_sink.h"
#include "util/record_types.h"

// A read of a browser window's address that is under way, as the queue sees it.
class AddressRead {
public:
    virtual ~AddressRead() = default;
    // True once the read has ended; it never changes back.
    virtual bool finished() = 0;
    // After finished(): the site record to write, or none when the read gave no address and
    // the window is to be reported as an application.
    virtual std::optional<SiteRecord> site() = 0;
};

// Whatever a report leads with besides its record: a diagnostic line written by identification.
class CapturedLines : public lookout::RecordSink {
public:
    void write(std::string bytes) override { bytes_ += bytes; }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

struct PendingReport {
    HWND window = nullptr;
    // When the poll saw the change (GetTickCount64), not when the record is written.
    std::uint64_t changeTick = 0;
    // The record's data as it stood at the change: a window that has gone by the time the
    // record is written is still reported with it.
    AppRecord app;
    // Written right before the record.
    std::string leadingLines;
    // None for an application record. Otherwise the read, given up once `deadline` has come:
    // `timedOutSite` is then written, or the application record when that is none.
    std::shared_ptr<AddressRead> read;
    std::uint64_t deadline = 0;
    std::optional<SiteRecord> timedOutSite;
};

class PendingReports {
public:
    void add(PendingReport report);
    // Writes, in order, every report at the head whose read has ended or whose deadline has
    // come by `now`; stops at the first one still waiting for its address.
    void writeReady(std::uint64_t now, lookout::RecordSink& out);
    bool empty() const { return reports_.empty(); }

private:
    std::deque<PendingReport> reports_;
};
