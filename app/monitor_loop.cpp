#include "app/monitor_loop.h"

#include "browser/classify.h"
#include "dde/dde_dispatch.h"
#include "diag/debug_log.h"
#include "java/java_command.h"
#include "winfo/module_info.h"
#include "winfo/window_query.h"

bool titleCheckDue(std::uint32_t lastTitleCheck, std::uint32_t now) {
    return static_cast<std::uint32_t>(now - lastTitleCheck) > kTitleCheckIntervalMs;
}

void pollForegroundWindow(MonitorState& state, HWND foreground, std::uint64_t now,
                          lookout::RecordSink& out) {
    if (foreground != state.lastWindow)
        runNewWindowSteps(state, foreground, now);
    else
        runTitleCheck(state, foreground, now);
    state.reports.writeReady(now, out);
}

void runNewWindowSteps(MonitorState& state, HWND window, std::uint64_t now) {
    state.lastWindow = window;
    state.lastWindowSeenAt = recordTimeNow();
    state.appIsCurrent = false;
    // No window in front (between two windows, or nothing up): nothing to identify. The change
    // still counts, so the window that comes back is reported again.
    if (!window) {
        logMessage("Foreground Window Process ID %d", 0);
        return;
    }
    identifyAndReport(state, window, now);
}

void identifyAndReport(MonitorState& state, HWND window, std::uint64_t now) {
    // Reset first: the call leaves the id untouched for a window that has just gone, and the
    // previous window's process must not be reported in its place.
    state.processId = 0;
    GetWindowThreadProcessId(window, &state.processId);
    logMessage("Foreground Window Process ID %d", static_cast<int>(state.processId));
    if (state.processId == 0) return;
    if (GetModuleInfo(state.processId, window, state.app) != ERROR_SUCCESS) return;
    state.appIsCurrent = true;
    state.app.seenAt = state.lastWindowSeenAt;

    // The diagnostic line of the Java lookup goes out with this window's record, behind the
    // records still waiting for an address.
    CapturedLines leadingLines;
    if (state.app.modulePath.find("javaw.exe") != std::string::npos) {
        logMessage("Java processing...");
        try {
            lookupJavaCommand(state.processId, state.app, leadingLines);
        } catch (...) {
            logMessage("Java processing: exception caught");
        }
    }
    runReportStep(state, window, now, leadingLines.take());
}

void runTitleCheck(MonitorState& state, HWND window, std::uint64_t now) {
    const auto tick = static_cast<std::uint32_t>(now);  // GetTickCount's value
    if (!titleCheckDue(state.lastTitleCheck, tick)) return;
    state.lastTitleCheck = tick;
    if (!window) return;
    // A window whose identification failed is tried again at every title check while it stays
    // in front, so that a failure that passes does not hide it for as long as it is there.
    if (!state.appIsCurrent) {
        identifyAndReport(state, window, now);
        return;
    }
    std::string title = GetWindowTitle(window);
    if (title == state.app.title) return;
    logMessage("Title is changed - send new data");
    state.app.title = std::move(title);
    state.app.seenAt = recordTimeNow();
    runReportStep(state, window, now);
}

void runReportStep(MonitorState& state, HWND window, std::uint64_t now,
                   std::string leadingLines) {
    PendingReport report;
    report.window = window;
    report.changeTick = now;
    report.app = state.app;
    report.leadingLines = std::move(leadingLines);
    if (isBrowserWindow(window, state.app.modulePath)) {
        logMessage("Browser processing...");
        state.reads.start(report, state.ddeWindow);
    }
    state.reports.add(std::move(report));
}

void createConsoleDDEProcessingWindowProcess() {
    MonitorState state;
    state.lastTitleCheck = GetTickCount();
    traceFunction("createConsoleDDEProcessingWindowProcess");
    state.ddeWindow = startDDEDispatchLoop();
    if (!state.ddeWindow)
        logMessage("Error: DDE processing cannot be activated (no browser data can be obtained)!");
    for (;;) {
        // A read that ends meanwhile cuts the wait short: its record, and those behind it, need
        // not wait for the next poll.
        state.reads.waitForPoll(kPollIntervalMs);
        pollForegroundWindow(state, GetForegroundWindow(), GetTickCount64(), standardOutput());
    }
}
