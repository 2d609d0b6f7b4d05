#pragma once
// The foreground-window monitor loop: polls every 10 ms and writes one record per change.

#include <windows.h>

#include <cstdint>

#include "app/address_reads.h"
#include "app/pending_reports.h"
#include "app/records.h"
#include "util/record_sink.h"

constexpr DWORD kPollIntervalMs = 10;
constexpr std::uint32_t kTitleCheckIntervalMs = 1000;

struct MonitorState {
    HWND lastWindow = nullptr;
    // When the poll saw lastWindow come to the front (recordTimeNow()): the time of its report,
    // also when it can be identified only later.
    std::uint64_t lastWindowSeenAt = 0;
    std::uint32_t lastTitleCheck = 0;
    DWORD processId = 0;
    AppRecord app;
    HWND ddeWindow = nullptr;
    // Whether `app` describes lastWindow. A window that could not be identified is identified
    // again at each title check instead of having its title compared, so no record joins
    // another window's path with its title; it is reported once identification succeeds.
    bool appIsCurrent = false;
    // The reports not written yet, in the order of the changes, and the address reads they wait
    // for.
    PendingReports reports;
    AddressReads reads;
};

// True once more than a second has passed since the last title check, across the tick
// count's wrap at 2^32.
bool titleCheckDue(std::uint32_t lastTitleCheck, std::uint32_t now);

// One poll after the sleep, at tick `now` (GetTickCount64): the new-window steps when
// `foreground` differs from the last window, otherwise the title check (which identifies again a
// window not identified yet); then every report that no longer waits for an address goes to
// `out`, in the order of the changes.
void pollForegroundWindow(MonitorState& state, HWND foreground, std::uint64_t now,
                          lookout::RecordSink& out);

void runNewWindowSteps(MonitorState& state, HWND window, std::uint64_t now);
// Identifies `window` into state.app and makes its report; nothing when identification fails.
void identifyAndReport(MonitorState& state, HWND window, std::uint64_t now);
void runTitleCheck(MonitorState& state, HWND window, std::uint64_t now);
// Queues the report of `window` made at `now` from state.app, after those still waiting; for a
// browser window it starts the read of its address. `leadingLines` go out right before it.
void runReportStep(MonitorState& state, HWND window, std::uint64_t now,
                   std::string leadingLines = {});

// Never returns.
void createConsoleDDEProcessingWindowProcess();
