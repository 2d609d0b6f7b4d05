#include "dde/dde_data_owner.h"

namespace {

bool runningUnderWine() {
    // Wine's ntdll exports its version; Windows' has no such function.
    static const bool wine =
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

}  // namespace

bool receiverFreesKeptDataCopy(HWND serverWindow) {
    if (!runningUnderWine()) return false;
    // Within one process there is no copy: the handle is the server's own block. Lookout never
    // posts data to itself, so a sender that names no window of this process is another one.
    DWORD serverProcess = 0;
    GetWindowThreadProcessId(serverWindow, &serverProcess);
    return serverProcess != GetCurrentProcessId();
}
