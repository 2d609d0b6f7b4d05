// A scriptable window process for the end-to-end tests. Besides the shared window commands
// (see window_commands.h) it answers:
//   child <parent> <class> <hex text> -> "hwnd <n>" a visible child window of that class and
//                                                   text under <parent>; a class the system
//                                                   already has (such as Edit) is used as it is
//   showhang <hwnd> <ms>         -> "ok"          show and bring to the foreground, then stop
//                                                   pumping for <ms> before anything else runs
//   deny <hex mask>              -> "ok"          deny Everyone those access rights on this
//                                                   process (as an elevated process looks to a
//                                                   normal user's); "deny 0" allows them again
//   loopmodules                  -> "ok"          point the first entry of this process's loader
//                                                   list at itself, so that a walk of the list
//                                                   from outside never ends; send it after a
//                                                   window of this process has been shown
//   churn                        -> "ok"          load and free a DLL in a loop on a thread
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "window_commands.h"

namespace {

using window_commands::fromHex;
using window_commands::reply;
using window_commands::windowArg;

// A class of our own for a child unless the system already provides one of that name, so that a
// child of class "Edit" is a real edit control.
void registerChildClass(const std::string& className) {
    WNDCLASSA existing = {};
    if (GetClassInfoA(nullptr, className.c_str(), &existing)) return;
    window_commands::registerClass(className, DefWindowProcA);
}

bool setOwnAccess(unsigned long deniedMask) {
    std::string sddl = "D:";
    if (deniedMask) {
        char deny[32];
        wsprintfA(deny, "(D;;0x%lx;;;WD)", deniedMask);
        sddl += deny;
    }
    sddl += "(A;;GA;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    DWORD result = SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT,
                                   DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl, nullptr);
    LocalFree(descriptor);
    return result == ERROR_SUCCESS;
}

// The loader's own lookups walk the same list, so anything this process loads afterwards would
// loop too: what showing a window loads on first use must be loaded already. The list is put
// back at exit, so that the process can end.
LIST_ENTRY* loopedEntry = nullptr;
LIST_ENTRY* loopedEntryNext = nullptr;

void restoreModuleList() {
    if (loopedEntry) loopedEntry->Flink = loopedEntryNext;
}

void loopModuleList() {
    // The loader data as laid out on 64-bit Windows: the load-order list follows the length,
    // the initialised flag and a handle.
    struct LoaderData {
        ULONG length;
        BOOLEAN initialized;
        PVOID ssHandle;
        LIST_ENTRY inLoadOrder;
    };
    PROCESS_BASIC_INFORMATION basic = {};
    NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic,
                              nullptr);
    auto* loader = reinterpret_cast<LoaderData*>(basic.PebBaseAddress->Ldr);
    loopedEntry = loader->inLoadOrder.Flink;
    loopedEntryNext = loopedEntry->Flink;
    std::atexit(restoreModuleList);
    loopedEntry->Flink = loopedEntry;
}

DWORD WINAPI churnLibraries(void*) {
    for (;;) {
        HMODULE library = LoadLibraryA("dbghelp.dll");
        if (library) FreeLibrary(library);
    }
}

bool childCommands(const std::string& verb, std::istringstream& in) {
    if (verb == "deny") {
        unsigned long mask = 0;
        in >> std::hex >> mask;
        reply(setOwnAccess(mask) ? "ok" : "error " + std::to_string(GetLastError()));
        return true;
    }
    if (verb == "loopmodules") {
        loopModuleList();
        reply("ok");
        return true;
    }
    if (verb == "churn") {
        CloseHandle(CreateThread(nullptr, 0, churnLibraries, nullptr, 0, nullptr));
        reply("ok");
        return true;
    }
    if (verb == "child") {
        HWND parent = windowArg(in);
        std::string className, hexText;
        in >> className >> hexText;
        registerChildClass(className);
        HWND window = CreateWindowExA(0, className.c_str(), fromHex(hexText).c_str(),
                                      WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        reply("hwnd " + std::to_string(reinterpret_cast<std::uintptr_t>(window)));
        return true;
    }
    if (verb == "showhang") {
        HWND window = windowArg(in);
        unsigned long ms = 0;
        in >> ms;
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        reply("ok");
        Sleep(ms);
        return true;
    }
    return false;
}

}  // namespace

int main() {
    window_commands::Options options;
    options.extra = childCommands;
    return window_commands::run(options);
}
