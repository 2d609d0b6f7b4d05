#include "app/records.h"

#include <windows.h>

namespace {

// Guards the record stream against the termination hook closing it in the middle of a record.
SRWLOCK recordStreamLock = SRWLOCK_INIT;
bool standardOutputClosed = false;

constexpr DWORD kCloseWaitMs = 1000;

void writeRecord(const std::string& record, std::FILE* out) {
    AcquireSRWLockExclusive(&recordStreamLock);
    if (!(out == stdout && standardOutputClosed)) {
        std::fwrite(record.data(), 1, record.size(), out);
        std::fflush(out);
    }
    ReleaseSRWLockExclusive(&recordStreamLock);
}

}  // namespace

void SendAppRecord(const AppRecord& app, std::FILE* out) {
    writeRecord(formatAppRecord(app), out);
}

void SendSiteRecord(const AppRecord& app, const SiteRecord& site, std::FILE* out) {
    writeRecord(formatSiteRecord(app, site), out);
}

bool closeStandardOutput() {
    const DWORD start = GetTickCount();
    while (!TryAcquireSRWLockExclusive(&recordStreamLock)) {
        if (GetTickCount() - start > kCloseWaitMs) return false;
        Sleep(1);
    }
    std::fclose(stdout);
    standardOutputClosed = true;
    ReleaseSRWLockExclusive(&recordStreamLock);
    return true;
}
