// Runs the real start-up, crash guard, dump writer and handler around a monitor loop that fails:
//   access-violation   the loop writes through a null pointer
//   cpp-exception      the loop throws a C++ exception that nothing catches
//   thread-fault       a second thread writes through a null pointer while the loop waits
// Other arguments (such as "/debuglog") go to start-up unchanged. It prints "loop <tid>" with the
// loop's thread id before failing.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "app/lookout_main.h"

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

DWORD WINAPI faultingThread(void*) {
    std::printf("thread %lu\n", GetCurrentThreadId());
    std::fflush(stdout);
    writeThroughNull();
    return 0;
}

void failingLoop() {
    announce();
    if (std::strcmp(action, "access-violation") == 0) {
        for (;;) writeThroughNull();
    }
    if (std::strcmp(action, "cpp-exception") == 0) throw std::runtime_error("escaped the loop");
    if (std::strcmp(action, "thread-fault") == 0) {
        HANDLE thread = CreateThread(nullptr, 0, faultingThread, nullptr, 0, nullptr);
        WaitForSingleObject(thread, INFINITE);
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
