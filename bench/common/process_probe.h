#pragma once
// What can be read about another process from outside, under Wine as on Windows. Wine leaves
// some of the usual calls empty (GetProcessHandleCount gives 0, GetGuiResources fails with
// ERROR_CALL_NOT_IMPLEMENTED, GetProcessTimes does not follow another process's threads), so
// handles come from the system handle list and CPU time from Linux's /proc.

#include <windows.h>

#include <map>
#include <string>

namespace bench {

// The Linux process whose command line holds `token`, through Wine's Z: drive; 0 if none.
long unixPidOf(const std::string& token);
// CPU time of a Linux process in milliseconds, all its threads together; negative when
// unreadable.
double unixCpuMs(long unixPid);
// utime and stime in clock ticks, read from the text of /proc/<pid>/stat; negative when the
// text does not have them.
long long cpuTicksFromStat(const std::string& statText);

// The handles that `pid` holds, from the system's handle list; negative when unavailable.
long handleCountOf(DWORD pid);
// Top-level, child and message-only windows of `pid`: the bulk of its USER objects.
long windowCountOf(DWORD pid);

struct ProcessFigures {
    long handles = -1;
    long long privateBytes = -1;  // commit charge; under Wine its resident anonymous memory
    long long workingSet = -1;
    long windows = -1;
    long userObjects = -1;        // -1: GetGuiResources not available
    long gdiObjects = -1;
    long threads = -1;            // Linux threads of the process (Wine adds its own)
};
ProcessFigures readProcessFigures(HANDLE process, DWORD pid, long unixPid);

// The global atom table, value to name (string atoms live at 0xC000 to 0xFFFF).
std::map<unsigned, std::string> globalAtoms();
// How many references the global atom `name` has: deletes it until it is gone and adds it
// back as often. Only for moments when no other process is using the atom.
long atomReferences(const std::string& name);

}  // namespace bench
