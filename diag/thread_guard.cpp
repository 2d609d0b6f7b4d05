#include "diag/thread_guard.h"

#include <atomic>

#include "diag/crash_dump.h"
#include "diag/crash_guard.h"
#include "diag/debug_log.h"

namespace {

std::atomic<void (*)()> flushBeforeFaultExit{nullptr};

}  // namespace

bool runGuarded(void (*body)(void*), void* context, ThreadFault onFault) {
    if (onFault == ThreadFault::EndsWork)
        return !runUnderCrashGuard(body, context, GenerateRecoverableDump);
    if (runUnderCrashGuard(body, context, GenerateDump)) endProgramAfterFault();
    return true;
}

void setFlushBeforeFaultExit(void (*flush)()) { flushBeforeFaultExit = flush; }

void endProgramAfterFault() {
    logMessage("GenerateDump was called. Attempting to terminate program.");
    logMessage("Lookout Terminated");
    closeDebugLog();
    if (void (*flush)() = flushBeforeFaultExit.load()) flush();
    endProcessNow(0);
}

void endProcessNow(UINT exitCode) {
    TerminateProcess(GetCurrentProcess(), exitCode);
    ExitProcess(exitCode);  // not reached: a process that terminates itself does not return
}
