#include "common/process_probe.h"

#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "e2e/driver.h"

namespace bench {

namespace {

constexpr double kMsPerClockTick = 10;  // Linux reports CPU times in 1/100 s on every x86 kernel
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry handles[1];
};

using QuerySystemInformation = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryInformationAtom = LONG(NTAPI*)(ATOM, ULONG, PVOID, ULONG, PULONG);

constexpr ULONG kAtomBasicInformation = 0;

struct AtomBasicInformation {
    USHORT referenceCount;
    USHORT pinned;
    USHORT nameLength;
    WCHAR name[256];
};

// The reference count that the atom table keeps for a global atom; the Win32 API has no call
// that reads it without changing it.
long referencesOf(ATOM atom) {
    static const auto query = reinterpret_cast<QueryInformationAtom>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationAtom")));
    if (!query) return -1;
    AtomBasicInformation information = {};
    ULONG length = 0;
    if (query(atom, kAtomBasicInformation, &information, sizeof information, &length) != 0)
        return -1;
    return information.referenceCount;
}

std::string procFile(long unixPid, const char* name) {
    return e2e::readFile("Z:\\proc\\" + std::to_string(unixPid) + "\\" + name);
}

long statusValue(const std::string& status, const std::string& key) {
    std::size_t at = status.find("\n" + key + ":");
    if (at == std::string::npos) return -1;
    return std::strtol(status.c_str() + at + key.size() + 2, nullptr, 10);
}

struct WindowCount {
    DWORD pid;
    long count;
};

BOOL CALLBACK countChild(HWND window, LPARAM userValue) noexcept {
    auto* counting = reinterpret_cast<WindowCount*>(userValue);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == counting->pid) ++counting->count;
    return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM userValue) noexcept {
    countChild(window, userValue);
    EnumChildWindows(window, countChild, userValue);
    return TRUE;
}

}  // namespace

long unixPidOf(const std::string& token) { return e2e::unixPidOf(token); }

long long cpuTicksFromStat(const std::string& statText) {
    // The command name in parentheses may hold blanks; the fields after it are plain numbers.
    std::size_t close = statText.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(statText.substr(close + 1));
    std::string field;
    long long ticks = 0;
    // After the name: state is field 3, utime field 14 and stime field 15.
    for (int number = 3; number <= 15; ++number) {
        if (!(fields >> field)) return -1;
        if (number >= 14) ticks += std::atoll(field.c_str());
    }
    return ticks;
}

double unixCpuMs(long unixPid) {
    if (unixPid <= 0) return -1;
    // The scheduler's run time of each thread, in nanoseconds, is far finer than the clock
    // ticks of /proc/<pid>/stat; it is used when every thread's figure can be read.
    std::string tasks = "Z:\\proc\\" + std::to_string(unixPid) + "\\task\\";
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((tasks + "*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        double totalNs = 0;
        bool complete = true;
        do {
            if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
            std::string schedstat = e2e::readFile(tasks + entry.cFileName + "\\schedstat");
            if (schedstat.empty()) complete = false;
            totalNs += std::strtod(schedstat.c_str(), nullptr);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
        if (complete && totalNs > 0) return totalNs / 1e6;
    }
    long long ticks = cpuTicksFromStat(procFile(unixPid, "stat"));
    return ticks < 0 ? -1 : static_cast<double>(ticks) * kMsPerClockTick;
}

long handleCountOf(DWORD pid) {
    auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        LONG status = query(kSystemExtendedHandleInformation, buffer.data(),
                            static_cast<ULONG>(buffer.size()), &needed);
        if (status == kStatusInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 65536));
            continue;
        }
        if (status != 0) return -1;
        break;
    }
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    long count = 0;
    for (ULONG_PTR index = 0; index < list->count; ++index)
        if (list->handles[index].processId == pid) ++count;
    return count;
}

long windowCountOf(DWORD pid) {
    WindowCount counting{pid, 0};
    EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&counting));
    for (HWND window = nullptr; (window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr));)
        countTopLevel(window, reinterpret_cast<LPARAM>(&counting));
    return counting.count;
}

ProcessFigures readProcessFigures(HANDLE process, DWORD pid, long unixPid) {
    ProcessFigures figures;
    figures.handles = handleCountOf(pid);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        // PrivateUsage stays 0 under Wine; PagefileUsage is the same commit charge on Windows.
        figures.privateBytes = static_cast<long long>(
            memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage);
        figures.workingSet = static_cast<long long>(memory.WorkingSetSize);
    }
    figures.windows = windowCountOf(pid);
    SetLastError(0);
    DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    if (user != 0 || GetLastError() == 0) figures.userObjects = static_cast<long>(user);
    SetLastError(0);
    DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    if (gdi != 0 || GetLastError() == 0) figures.gdiObjects = static_cast<long>(gdi);
    if (unixPid > 0) figures.threads = statusValue(procFile(unixPid, "status"), "Threads");
    return figures;
}

std::map<unsigned, AtomEntry> globalAtoms() {
    std::map<unsigned, AtomEntry> atoms;
    char name[256];
    for (unsigned value = 0xC000; value <= 0xFFFF; ++value) {
        UINT length = GlobalGetAtomNameA(static_cast<ATOM>(value), name, sizeof name);
        if (length == 0) continue;
        atoms[value] = {std::string(name, length), referencesOf(static_cast<ATOM>(value))};
    }
    return atoms;
}

long atomReferences(const std::string& name) {
    ATOM atom = GlobalFindAtomA(name.c_str());
    return atom ? referencesOf(atom) : 0;
}

long atomReferencesAdded(const std::map<unsigned, AtomEntry>& before,
                         const std::map<unsigned, AtomEntry>& after, std::string& names) {
    long added = 0;
    names.clear();
    for (const auto& [value, entry] : after) {
        auto old = before.find(value);
        long earlier = old != before.end() && old->second.name == entry.name
                           ? std::max(0L, old->second.references)
                           : 0;
        long more = std::max(0L, entry.references) - earlier;
        if (more <= 0) continue;
        added += more;
        names += (names.empty() ? "" : " ") + entry.name + "(+" + std::to_string(more) + ")";
    }
    return added;
}

}  // namespace bench
