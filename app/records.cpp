#include "app/records.h"

#include <windows.h>

#include <cstdio>

#include "app/output_queue.h"

namespace {

// How long a pipe may take no byte at all before the waits for the queue give up on it.
constexpr DWORD kIdlePipeMs = 1000;

bool recordTimes = false;

using SystemTimeFunction = VOID(WINAPI*)(LPFILETIME);

// The precise clock where the system has it (Windows 8 and later), else the one that moves in
// timer ticks (about 15.6 ms on Windows 7), coarser than the poll.
SystemTimeFunction systemTimeFunction() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    void* precise = kernel ? reinterpret_cast<void*>(
                                 GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime"))
                           : nullptr;
    return precise ? reinterpret_cast<SystemTimeFunction>(precise) : GetSystemTimeAsFileTime;
}

}  // namespace

void setRecordTimes(bool on) { recordTimes = on; }

bool recordsCarryTimes() { return recordTimes; }

std::uint64_t recordTimeNow() {
    static const SystemTimeFunction now = systemTimeFunction();
    FILETIME time = {};
    now(&time);
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void SendAppRecord(const AppRecord& app, lookout::RecordSink& out) {
    out.write(formatAppRecord(app, recordTimes));
}

void SendSiteRecord(const AppRecord& app, const SiteRecord& site, lookout::RecordSink& out) {
    out.write(formatSiteRecord(app, site, recordTimes));
}

lookout::RecordSink& standardOutput() { return standardOutputQueue(); }

void flushStandardOutput() { standardOutputQueue().drain(kIdlePipeMs); }

bool closeStandardOutput() {
    if (!standardOutputQueue().close(kIdlePipeMs)) return false;
    std::fclose(stdout);
    return true;
}
