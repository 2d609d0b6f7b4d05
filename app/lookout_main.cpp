#include "app/lookout_main.h"

#include "app/hooks.h"
#include "app/watchdog.h"
#include "diag/crash_dump.h"
#include "diag/crash_guard.h"
#include "diag/thread_guard.h"

namespace {

// The loop's fault is the crash guard's to end (dump, log, exit code 0), however long the dump
// takes to write.
LONG dumpLoopFault(EXCEPTION_POINTERS* exceptionInfo) {
    standAsideForFault();
    return GenerateDump(exceptionInfo);
}

}  // namespace

int runLookout(int argc, char** argv, void (*monitorLoop)()) {
    startUp(argc, argv);
    if (runUnderCrashGuard(monitorLoop, dumpLoopFault)) endProgramAfterFault();
    return 0;
}
