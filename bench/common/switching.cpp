#include "common/switching.h"

#include "common/clock.h"
#include "common/record_stream.h"

namespace bench {

SwitchResult switchTo(LookoutProcess& lookout, HWND window, DWORD deadlineMs) {
    SwitchResult result;
    std::size_t before = lookout.recordCount();
    double start = result.startMs = nowMs();
    SetForegroundWindow(window);
    result.arrived = lookout.waitForRecords(before + 1, deadlineMs);
    if (!result.arrived) return result;
    TimedRecord record = lookout.record(before);
    result.latencyMs = record.receivedMs - start;
    result.record = std::move(record.text);
    return result;
}

void RecordCheck::expect(HWND window, const std::string& kind, const std::string& first,
                         const std::string& title) {
    expected_[window] = {kind, first, title, {}};
}

bool RecordCheck::fault(const std::string& what) {
    if (faults_++ == 0) firstFault_ = what;
    return false;
}

bool RecordCheck::check(HWND window, const std::string& record) {
    auto found = expected_.find(window);
    if (found == expected_.end()) return fault("a record for an unknown window: " + record);
    Expected& expected = found->second;
    if (!expected.record.empty())
        return record == expected.record ? true
                                         : fault("expected " + expected.record + " got " + record);
    if (!isWellFormedRecord(record)) return fault("malformed record: " + record);
    std::vector<std::string> items = recordItems(record);
    const std::string& title = items[0] == "app" ? items[3] : items[2];
    if (items[0] != expected.kind || items[1] != expected.first || title != expected.title)
        return fault("expected a " + expected.kind + " record of " + expected.first +
                     " titled " + expected.title + ", got " + record);
    expected.record = record;
    return true;
}

std::string RecordCheck::recordOf(HWND window) const {
    auto found = expected_.find(window);
    return found == expected_.end() ? std::string() : found->second.record;
}

}  // namespace bench
