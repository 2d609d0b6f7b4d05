#pragma once
// The foreground-window monitor loop: polls every 10 ms and writes one record per change.

#include <windows.h>

#include <cstdint>

#include "app/records.h"
#include "util/record_sink.h"

constexpr DWORD kPollIntervalMs = 10;
constexpr std::uint32_t kTitleCheckIntervalMs = 1000;

struct MonitorState {
    HWND lastWindow = nullptr;
    std::uint32_t lastTitleCheck = 0;
    DWORD processId = 0;
    AppRecord app;
    SiteRecord site;
    HWND ddeWindow = nullptr;
    // Whether `app` describes lastWindow. A window that could not be identified is identified
    // again at each title check instead of having its title compared, so no record joins
    // another window's path with its title; it is reported once identification succeeds.
    bool appIsCurrent = false;
    // Whether lastWindow is the frame of a packaged app: its identity is checked again at each
    // title check, as the app in it can arrive, end or become examinable while it stays.
    bool appFollowsFrame = false;
};

// True once more than a second has passed since the last title check, across the tick
// count's wrap at 2^32.
bool titleCheckDue(std::uint32_t lastTitleCheck, std::uint32_t now);

// One poll after the sleep: the new-window steps when `foreground` differs from the last window,
// otherwise the title check at tick `now` (which identifies again a window not identified yet).
void pollForegroundWindow(MonitorState& state, HWND foreground, std::uint32_t now,
                          lookout::RecordSink& out);

void runNewWindowSteps(MonitorState& state, HWND window, lookout::RecordSink& out);
// Identifies `window` into state.app and reports it; nothing when identification fails.
void identifyAndReport(MonitorState& state, HWND window, lookout::RecordSink& out);
void runTitleCheck(MonitorState& state, HWND window, std::uint32_t now, lookout::RecordSink& out);
// The title check of a packaged app's frame: identifies it again and reports it when its app or
// title changed.
void checkFrameIdentity(MonitorState& state, HWND window, lookout::RecordSink& out);
void runReportStep(MonitorState& state, HWND window, lookout::RecordSink& out);

// Never returns.
void createConsoleDDEProcessingWindowProcess();
