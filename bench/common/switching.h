#pragma once
// One foreground switch as the benchmarks make it, and the check of the record it gives.

#include <windows.h>

#include <map>
#include <string>

#include "common/lookout_process.h"

namespace bench {

struct SwitchResult {
    bool arrived = false;
    double startMs = 0;    // just before SetForegroundWindow (bench::nowMs)
    double latencyMs = 0;  // from startMs to the record's last byte
    std::string record;
};

// Brings an already shown `window` to the front from this process (Wine has no foreground
// lock) and waits only for the next record.
SwitchResult switchTo(LookoutProcess& lookout, HWND window, DWORD deadlineMs);

// What each window must be reported as. The first record of a window must be well-formed, of the
// expected kind and carry the expected first field (module path of an application, address of
// a site) and title, escaped as the parent receives them; every later record of it must
// repeat its bytes.
class RecordCheck {
public:
    void expect(HWND window, const std::string& kind, const std::string& first,
                const std::string& title);
    // True when `record` is right for `window`; otherwise the fault is kept for the report.
    bool check(HWND window, const std::string& record);
    std::size_t faults() const { return faults_; }
    const std::string& firstFault() const { return firstFault_; }
    // The accepted record of a window, empty before its first.
    std::string recordOf(HWND window) const;

private:
    struct Expected {
        std::string kind, first, title, record;
    };
    bool fault(const std::string& what);

    std::map<HWND, Expected> expected_;
    std::size_t faults_ = 0;
    std::string firstFault_;
};

}  // namespace bench
