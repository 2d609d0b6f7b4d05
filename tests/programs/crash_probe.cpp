// Runs the real start-up, crash guard, dump writer and handler around a monitor loop that fails:
//   access-violation   the loop writes through a null pointer, watched by a watchdog whose bound
//                      (200 ms) is far shorter than writing the dump takes
//   cpp-exception      the loop throws a C++ exception that nothing catches
//   thread-fault       a second thread writes through a null pointer while the loop waits
//   guarded-thread-fault  the same on a thread that runs under the guard of the program's own
//                      threads whose fault ends the program (the output writer's, the DDE one's)
//   dde-thread-fault   the DDE dispatch thread writes through a null pointer: its window's
//                      procedure is replaced by one that does, and a message is posted to it
//   loop-ends          the loop starts the watchdog, queues records and its thread ends
//   loop-stalls        the same, but the loop never polls again (the watchdog is given 2 s
//                      instead of its usual bound)
// Other arguments (such as "/debuglog") go to start-up unchanged. It prints "loop <tid>" with the
// loop's thread id, and "thread <tid>" with the id of a failing thread of its own, before failing.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "app/lookout_main.h"
#include "app/records.h"
#include "app/watchdog.h"
#include "dde/dde_dispatch.h"
#include "diag/thread_guard.h"

namespace {

const char* action = "";

void announce() {
    std::printf("loop %lu\n", GetCurrentThreadId());
    std::fflush(stdout);
}

void writeThroughNull() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

void announceThreadAndFail(void* = nullptr) {
    std::printf("thread %lu\n", GetCurrentThreadId());
    std::fflush(stdout);
    writeThroughNull();
}

DWORD WINAPI faultingThread(void*) {
    announceThreadAndFail();
    return 0;
}

DWORD WINAPI guardedFaultingThread(void*) {
    runGuarded(announceThreadAndFail, nullptr, ThreadFault::EndsProgram);
    return 0;
}

LRESULT CALLBACK faultingWindowProc(HWND, UINT, WPARAM, LPARAM) {
    announceThreadAndFail();
    return 0;
}

void failingLoop() {
    announce();
    if (std::strcmp(action, "access-violation") == 0) {
        startWatchdog(200);
        for (;;) writeThroughNull();
    }
    if (std::strcmp(action, "cpp-exception") == 0) throw std::runtime_error("escaped the loop");
    const bool guarded = std::strcmp(action, "guarded-thread-fault") == 0;
    if (guarded || std::strcmp(action, "thread-fault") == 0) {
        HANDLE thread = CreateThread(nullptr, 0, guarded ? guardedFaultingThread : faultingThread,
                                     nullptr, 0, nullptr);
        WaitForSingleObject(thread, INFINITE);
        for (;;) Sleep(10);
    }
    if (std::strcmp(action, "loop-ends") == 0 || std::strcmp(action, "loop-stalls") == 0) {
        startWatchdog(action[5] == 's' ? 2000 : kStalePollLimitMs);
        for (const char* title : {"first", "second", "third"})
            SendAppRecord(AppRecord{"C:\\probe.exe", "Probe", title}, standardOutput());
        if (action[5] == 'e') ExitThread(0);
        Sleep(INFINITE);
    }
    if (std::strcmp(action, "dde-thread-fault") == 0) {
        HWND ddeWindow = startDDEDispatchLoop();
        SetWindowLongPtrA(ddeWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(faultingWindowProc));
        PostMessageA(ddeWindow, WM_APP, 0, 0);
        for (;;) Sleep(10);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // A fault outside the guard ends the process with its code instead of starting Wine's
    // debugger, which would wait for ever without a terminal.
    SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG { return EXCEPTION_EXECUTE_HANDLER; });
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '/') action = argv[i];
    return runLookout(argc, argv, failingLoop);
}
