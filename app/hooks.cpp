#include "app/hooks.h"

#include <fcntl.h>
#include <io.h>
#include <mbstring.h>
#include <objbase.h>
#include <windows.h>

#include <csignal>
#include <cstdlib>

#include "app/records.h"
#include "diag/debug_log.h"
#include "diag/thread_guard.h"
#include "util/record_text.h"

namespace {

constexpr unsigned char kDebugLogSwitch[] = "/debuglog";
constexpr unsigned char kUtf8Switch[] = "/utf8";

bool isSwitch(const char* argument, const unsigned char* name) {
    return _mbscmp(reinterpret_cast<const unsigned char*>(argument), name) == 0;
}

}  // namespace

void startUp(int argc, char** argv) {
    CoInitialize(nullptr);
    bool utf8 = false;
    for (int i = 1; i < argc; ++i) {
        if (isSwitch(argv[i], kDebugLogSwitch)) {
            initDebugLogLock();
            openDebugLog();
        }
        if (isSwitch(argv[i], kUtf8Switch)) utf8 = true;
    }
    // Before any other thread starts, and once the log is open whatever the order of the switches.
    if (utf8) {
        setRecordEncoding(RecordEncoding::kUtf8);
        logMessage("Records in UTF-8 (/utf8)");
    }
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::signal(SIGABRT, TerminationSignalHandler);
    std::signal(SIGTERM, TerminationSignalHandler);
    std::signal(SIGINT, TerminationSignalHandler);
    _set_invalid_parameter_handler(InvalidParameterHandler);
    setFlushBeforeFaultExit(flushStandardOutput);
}

void TerminationSignalHandler(int) {
    logMessage("Lookout Terminated");
    closeDebugLog();
    // The records handed over so far are written first; the stream is closed between two
    // records. If the writer is stuck on a pipe that nobody reads, the process ends without
    // waiting for it.
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
