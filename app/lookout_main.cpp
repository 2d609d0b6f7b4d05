#include "app/lookout_main.h"

#include "app/hooks.h"
#include "diag/crash_dump.h"
#include "diag/crash_guard.h"
#include "diag/thread_guard.h"

int runLookout(int argc, char** argv, void (*monitorLoop)()) {
    startUp(argc, argv);
    if (runUnderCrashGuard(monitorLoop, GenerateDump)) endProgramAfterFault();
    return 0;
}
