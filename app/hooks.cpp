#include "app/hooks.h"

#include <fcntl.h>
#include <io.h>
#include <mbstring.h>
#include <objbase.h>
#include <windows.h>

#include <csignal>
#include <cstdlib>

#include "app/records.h"
#include "app/stdin_watch.h"
#include "diag/debug_log.h"
#include "diag/thread_guard.h"
#include "util/record_text.h"

namespace {

constexpr unsigned char kDebugLogSwitch[] = "/debuglog";
constexpr unsigned char kUtf8Switch[] = "/utf8";
constexpr unsigned char kTimeSwitch[] = "/time";
constexpr unsigned char kStdinSwitch[] = "/stdin";

// Set by the first caller of the termination hook; any later one (a second Ctrl+C, the end of
// standard input during a Ctrl+C) waits for it to end the process.
volatile LONG terminating = 0;

void stopAtEndOfInput() { TerminationSignalHandler(SIGINT); }

bool isSwitch(const char* argument, const unsigned char* name) {
    return _mbscmp(reinterpret_cast<const unsigned char*>(argument), name) == 0;
}

}  // namespace

Switches parseSwitches(int argc, char** argv) {
    Switches found;
    for (int i = 1; i < argc; ++i) {
        found.debugLog |= isSwitch(argv[i], kDebugLogSwitch);
        found.utf8 |= isSwitch(argv[i], kUtf8Switch);
        found.times |= isSwitch(argv[i], kTimeSwitch);
        found.stdinStops |= isSwitch(argv[i], kStdinSwitch);
    }
    return found;
}

void startUp(int argc, char** argv) {
    CoInitialize(nullptr);
    const Switches switches = parseSwitches(argc, argv);
    if (switches.debugLog) {
        initDebugLogLock();
        openDebugLog();
    }
    // Before any other thread starts, and once the log is open whatever the order of the switches.
    if (switches.utf8) {
        setRecordEncoding(RecordEncoding::kUtf8);
        logMessage("Records in UTF-8 (/utf8)");
    }
    if (switches.times) {
        setRecordTimes(true);
        logMessage("Records carry the time of their change (/time)");
    }
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::signal(SIGABRT, TerminationSignalHandler);
    std::signal(SIGTERM, TerminationSignalHandler);
    std::signal(SIGINT, TerminationSignalHandler);
    _set_invalid_parameter_handler(InvalidParameterHandler);
    setFlushBeforeFaultExit(flushStandardOutput);
    // Last: the end of the input may stop the program at once, which needs the hooks above.
    if (switches.stdinStops) {
        logMessage("Stops when standard input ends (/stdin)");
        watchStandardInput(stopAtEndOfInput);
    }
}

void TerminationSignalHandler(int) {
    // The run-time puts the default handling back before it calls a handler; a second Ctrl+C
    // during the stop would then end the process at once, with records unwritten.
    std::signal(SIGINT, TerminationSignalHandler);
    if (InterlockedExchange(&terminating, 1) != 0) {
        for (;;) Sleep(INFINITE);
    }
    logMessage("Lookout Terminated");
    closeDebugLog();
    // The records handed over so far are written first, for as long as the pipe takes them; the
    // stream is closed between two records. If the pipe takes nothing for a second (nobody
    // reads it), the process ends without waiting further.
    closeStandardOutput();
    // Not exit(): its destructors of static objects would run on this thread while the monitor
    // thread, the DDE thread and any walk still use them.
    endProcessNow(1);
}

void InvalidParameterHandler(const wchar_t* expression, const wchar_t* function,
                             const wchar_t* file, unsigned int line, std::uintptr_t) {
    logMessage(
        "ERROR! ERROR! ERROR! InvalidParameterHandler: Invalid parameter detected in function "
        "0x%p 0x%p Line = %d 0x%p",
        static_cast<const void*>(function), static_cast<const void*>(file),
        static_cast<int>(line), static_cast<const void*>(expression));
    if (function) logWide(L"function = ", function);
    if (file) logWide(L"file = ", file);
    if (expression) logWide(L"expression = ", expression);
    std::abort();
}
