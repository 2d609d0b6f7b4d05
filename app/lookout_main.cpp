#include "app/lookout_main.h"

#include "app/crash_guard.h"
#include "app/hooks.h"
#include "diag/crash_dump.h"
#include "diag/debug_log.h"

int runLookout(int argc, char** argv, void (*monitorLoop)()) {
    startUp(argc, argv);
    if (runUnderCrashGuard(monitorLoop, GenerateDump)) {
        logMessage("GenerateDump was called. Attempting to terminate program.");
        logMessage("Lookout Terminated");
        closeDebugLog();
    }
    return 0;
}
