// A scriptable window process for the end-to-end tests. Besides the shared window commands
// (see window_commands.h) it answers:
//   child <parent> <class> <hex text> -> "hwnd <n>" a visible child window of that class and
//                                                   text under <parent>; a class the system
//                                                   already has (such as Edit) is used as it is
//   showhang <hwnd> <ms>         -> "ok"          show and bring to the foreground, then stop
//                                                   pumping for <ms> before anything else runs
#include <windows.h>

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

bool childCommands(const std::string& verb, std::istringstream& in) {
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
