#include "app/monitor_loop.h"

#include "app/watchdog.h"
#include "browser/browser_info.h"
#include "browser/classify.h"
#include "dde/dde_dispatch.h"
#include "diag/debug_log.h"
#include "java/java_command.h"
#include "winfo/module_info.h"
#include "winfo/window_query.h"

bool titleCheckDue(std::uint32_t lastTitleCheck, std::uint32_t now) {
    return static_cast<std::uint32_t>(now - lastTitleCheck) > kTitleCheckIntervalMs;
}

void pollForegroundWindow(MonitorState& state, HWND foreground, std::uint32_t now,
                          lookout::RecordSink& out) {
    if (foreground != state.lastWindow)
        runNewWindowSteps(state, foreground, out);
    else
        runTitleCheck(state, foreground, now, out);
}

void runNewWindowSteps(MonitorState& state, HWND window, lookout::RecordSink& out) {
    state.lastWindow = window;
    state.appIsCurrent = false;
    // No window in front (between two windows, or nothing up): nothing to identify. The change
    // still counts, so the window that comes back is reported again.
    if (!window) {
        logMessage("Foreground Window Process ID %d", 0);
        return;
    }
    identifyAndReport(state, window, out);
}

void identifyAndReport(MonitorState& state, HWND window, lookout::RecordSink& out) {
    // Reset first: the call leaves the id untouched for a window that has just gone, and the
    // previous window's process must not be reported in its place.
    state.processId = 0;
    GetWindowThreadProcessId(window, &state.processId);
    logMessage("Foreground Window Process ID %d", static_cast<int>(state.processId));
    if (state.processId == 0) return;
    if (GetModuleInfo(state.processId, window, state.app, &state.appFollowsFrame) != ERROR_SUCCESS)
        return;
    state.appIsCurrent = true;

    if (state.app.modulePath.find("javaw.exe") != std::string::npos) {
        logMessage("Java processing...");
        try {
            lookupJavaCommand(state.processId, state.app, out);
        } catch (...) {
            logMessage("Java processing: exception caught");
        }
    }
    runReportStep(state, window, out);
}

void runTitleCheck(MonitorState& state, HWND window, std::uint32_t now, lookout::RecordSink& out) {
    if (!titleCheckDue(state.lastTitleCheck, now)) return;
    state.lastTitleCheck = now;
    if (!window) return;
    // A window whose identification failed is tried again at every title check while it stays
    // in front, so that a failure that passes does not hide it for as long as it is there.
    if (!state.appIsCurrent) {
        identifyAndReport(state, window, out);
        return;
    }
    if (state.appFollowsFrame) {
        checkFrameIdentity(state, window, out);
        return;
    }
    std::string title = GetWindowTitle(window);
    if (title == state.app.title) return;
    logMessage("Title is changed - send new data");
    state.app.title = std::move(title);
    runReportStep(state, window, out);
}

void checkFrameIdentity(MonitorState& state, HWND window, lookout::RecordSink& out) {
    AppRecord now;
    if (GetModuleInfo(state.processId, window, now, &state.appFollowsFrame) != ERROR_SUCCESS)
        return;
    if (now.modulePath == state.app.modulePath && now.description == state.app.description &&
        now.title == state.app.title)
        return;
    logMessage(now.title == state.app.title ? "Application in the frame is changed - send new data"
                                            : "Title is changed - send new data");
    state.app = std::move(now);
    runReportStep(state, window, out);
}

void runReportStep(MonitorState& state, HWND window, lookout::RecordSink& out) {
    if (isBrowserWindow(window, state.app.modulePath)) {
        logMessage("Browser processing...");
        if (GetBrowserInfo(window, state.app, state.site, state.ddeWindow)) {
            SendSiteRecord(state.app, state.site, out);
            logMessage("Browser processing finished");
            return;
        }
        logMessage("Browser processing FAILED");
    }
    SendAppRecord(state.app, out);
}

void createConsoleDDEProcessingWindowProcess() {
    MonitorState state;
    state.lastTitleCheck = GetTickCount();
    traceFunction("createConsoleDDEProcessingWindowProcess");
    state.ddeWindow = startDDEDispatchLoop();
    if (!state.ddeWindow)
        logMessage("Error: DDE processing cannot be activated (no browser data can be obtained)!");
    // Started from here, once the DDE thread is up: under Wine a DDE reply too large to deliver
    // is written past its buffer, and a watching thread started earlier lay where it landed.
    startWatchdog();
    for (;;) {
        Sleep(kPollIntervalMs);
        markPoll();
        pollForegroundWindow(state, GetForegroundWindow(), GetTickCount(), standardOutput());
    }
}
