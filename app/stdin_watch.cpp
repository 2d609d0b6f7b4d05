#include "app/stdin_watch.h"

#include <windows.h>
#include <process.h>

#include "diag/debug_log.h"
#include "diag/thread_guard.h"

namespace {

void (*stopAtEnd)() = nullptr;

void readUntilEnd(void*) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char ignored[4096];
    DWORD read = 0;
    if (input == nullptr || input == INVALID_HANDLE_VALUE) {
        logMessage("Standard input: none to watch (/stdin)");
    } else {
        while (ReadFile(input, ignored, sizeof ignored, &read, nullptr) && read > 0) {
        }
        logMessage("Standard input ended (error %u): stopping (/stdin)",
                   static_cast<unsigned>(GetLastError()));
    }
    stopAtEnd();
}

unsigned __stdcall watcherThread(void*) {
    runGuarded(readUntilEnd, nullptr, ThreadFault::EndsProgram);
    return 0;
}

}  // namespace

void watchStandardInput(void (*stop)()) {
    stopAtEnd = stop;
    const uintptr_t thread = _beginthreadex(nullptr, 0, watcherThread, nullptr, 0, nullptr);
    if (thread) {
        CloseHandle(reinterpret_cast<HANDLE>(thread));
        return;
    }
    // The parent relies on this stop; without it Lookout would run on after the parent is gone.
    logMessage("Error: standard input cannot be watched (/stdin)");
    stop();
}
