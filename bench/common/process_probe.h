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

struct AtomEntry {
    std::string name;
    long references = -1;  // -1 when the system does not tell
};
// The global atom table, value to entry (string atoms live at 0xC000 to 0xFFFF).
std::map<unsigned, AtomEntry> globalAtoms();
// The references of the global atom `name`: 0 when there is no such atom, -1 when the count
// cannot be read.
long atomReferences(const std::string& name);
// What `after` holds beyond `before`: the references added to each atom (a new atom with all of
// its own), as "name(+n)" words, and their sum.
long atomReferencesAdded(const std::map<unsigned, AtomEntry>& before,
                         const std::map<unsigned, AtomEntry>& after, std::string& names);

}  // namespace bench
