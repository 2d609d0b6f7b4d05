#include "app/records.h"

#include <windows.h>

#include <algorithm>

namespace {

// Guards the record stream against the termination hook closing it in the middle of a record.
SRWLOCK recordStreamLock = SRWLOCK_INIT;
bool standardOutputClosed = false;

constexpr DWORD kCloseWaitMs = 1000;

void writeItem(const std::string& text, std::FILE* out) {
    std::fputs(text.c_str(), out);
    std::fputs("$", out);
}

void writeRecord(const char* kind, std::initializer_list<const std::string*> fields,
                 std::FILE* out) {
    AcquireSRWLockExclusive(&recordStreamLock);
    if (!(out == stdout && standardOutputClosed)) {
        writeItem(kind, out);
        for (const std::string* field : fields) writeItem(escapeField(*field), out);
        writeItem("\n", out);
        std::fflush(out);
    }
    ReleaseSRWLockExclusive(&recordStreamLock);
}

}  // namespace

std::string escapeField(std::string field) {
    std::replace(field.begin(), field.end(), '$', 'S');
    return field;
}

void SendAppRecord(const AppRecord& app, std::FILE* out) {
    writeRecord("app", {&app.modulePath, &app.description, &app.title}, out);
}

void SendSiteRecord(const AppRecord& app, const SiteRecord& site, std::FILE* out) {
    writeRecord("site", {&site.url, &site.title, &app.modulePath}, out);
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
