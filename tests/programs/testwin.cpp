// A scriptable window process for the end-to-end tests; "testwin.exe /utf8" makes Unicode windows
// from UTF-8 texts. Besides the shared window commands (see window_commands.h) it answers:
//   child <parent> <class> <hex text> -> "hwnd <n>" a visible child window of that class and
//                                                   text under <parent>; a class the system
//                                                   already has (such as Edit) is used as it is
//   showhang <hwnd> <ms>         -> "ok"          show and bring to the foreground, then stop
//                                                   pumping for <ms> before anything else runs
//   deny <hex mask>              -> "ok"          deny Everyone those rights on this process
//   loopmodules                  -> "ok"          loop this process's loader list (send it after
//                                                   a window of it has been shown)
//   churn                        -> "ok"          load and free a DLL in a loop on a thread
#include <windows.h>
#include <sddl.h>
#include <winternl.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "window_commands.h"

namespace {

using window_commands::fromHex;
using window_commands::reply;
using window_commands::windowArg;

bool unicode = false;

// A class of our own for a child unless the system already provides one of that name, so that a
// child of class "Edit" is a real edit control.
void registerChildClass(const std::string& className) {
    WNDCLASSA existing = {};
    if (GetClassInfoA(nullptr, className.c_str(), &existing)) return;
    window_commands::registerClass(className, DefWindowProcA);
}

// Denies Everyone the rights of `hexMask` on this process, as an elevated process looks to a
// normal user's; "0" denies nothing.
bool denyOwnAccess(const std::string& hexMask) {
    const std::string deny = hexMask == "0" ? "" : "(D;;0x" + hexMask + ";;;WD)";
    const std::string sddl = "D:" + deny + "(A;;GA;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return false;
    BOOL set = SetKernelObjectSecurity(GetCurrentProcess(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    return set != FALSE;
}

// Points the first entry of this process's loader list at itself. The loader's own lookups walk
// the same list, so what the process loads afterwards would loop too; it is put back at exit.
void loopModuleList() {
    struct LoaderData {  // as laid out on 64-bit Windows
        ULONG length;
        BOOLEAN initialized;
        PVOID ssHandle;
        LIST_ENTRY inLoadOrder;
    };
    PROCESS_BASIC_INFORMATION basic = {};
    NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic,
                              nullptr);
    static LIST_ENTRY* const first =
        reinterpret_cast<LoaderData*>(basic.PebBaseAddress->Ldr)->inLoadOrder.Flink;
    static LIST_ENTRY* const next = first->Flink;
    std::atexit([] { first->Flink = next; });
    first->Flink = first;
}

DWORD WINAPI churnLibraries(void*) {
    for (;;) FreeLibrary(LoadLibraryA("dbghelp.dll"));
}

bool childCommands(const std::string& verb, std::istringstream& in) {
    if (verb == "deny") {
        std::string hexMask;
        in >> hexMask;
        reply(denyOwnAccess(hexMask) ? "ok" : "error " + std::to_string(GetLastError()));
        return true;
    }
    if (verb == "loopmodules" || verb == "churn") {
        if (verb == "loopmodules")
            loopModuleList();
        else
            CloseHandle(CreateThread(nullptr, 0, churnLibraries, nullptr, 0, nullptr));
        reply("ok");
        return true;
    }
    if (verb == "child") {
        HWND parent = windowArg(in);
        std::string className, hexText;
        in >> className >> hexText;
        if (!unicode) registerChildClass(className);
        HWND window =
            unicode ? window_commands::createUnicodeWindow(className, hexText,
                                                           WS_CHILD | WS_VISIBLE, parent)
                    : CreateWindowExA(0, className.c_str(), fromHex(hexText).c_str(),
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

int main(int argc, char** argv) {
    unicode = argc > 1 && std::strcmp(argv[1], "/utf8") == 0;
    window_commands::Options options;
    options.extra = childCommands;
    options.unicode = unicode;
    return window_commands::run(options);
}
