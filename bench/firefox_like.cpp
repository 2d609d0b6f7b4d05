// A Firefox-like browser process for the benchmarks: its windows serve the 50-object
// accessibility tree of firefox_tree.h to other processes through WM_GETOBJECT.
//
//   firefox_like.exe /address <text>
//
// It speaks the test window program's protocol on standard input and output (so the test
// driver can run it): "ready <pid>" first, then one answer a line to
//   create <class> <hex title> -> "hwnd <n>"   show <hwnd> -> "ok"   destroy <hwnd> -> "ok"
//   quit -> "bye"
#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

#include "firefox_tree.h"

namespace {

constexpr UINT kCommandMessage = WM_APP + 1;

DWORD windowThreadId = 0;
bench::FirefoxTree tree;

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

std::string fromHex(const std::string& hex) {
    std::string text;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        text += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return text;
}

void reply(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_GETOBJECT) {
        // The object id travels in the low 32 bits; ids other than OBJID_WINDOW are negative.
        LONG objectId = static_cast<LONG>(static_cast<DWORD>(lParam));
        if (objectId == OBJID_WINDOW)
            return LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(tree.window));
        if (objectId == OBJID_CLIENT)
            return LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(tree.client));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND windowArg(std::istringstream& in) {
    unsigned long long value = 0;
    in >> value;
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

// Returns false on "quit".
bool runCommand(const std::string& line) {
    static std::set<std::string> registered;
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "create") {
        std::string className, hexTitle;
        in >> className >> hexTitle;
        if (registered.insert(className).second) {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = windowProc;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.lpszClassName = className.c_str();
            RegisterClassA(&windowClass);
        }
        HWND window = CreateWindowExA(0, className.c_str(), fromHex(hexTitle).c_str(),
                                      WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        reply("hwnd " + std::to_string(reinterpret_cast<std::uintptr_t>(window)));
    } else if (verb == "show") {
        HWND window = windowArg(in);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        reply("ok");
    } else if (verb == "destroy") {
        DestroyWindow(windowArg(in));
        reply("ok");
    } else if (verb == "quit") {
        reply("bye");
        return false;
    } else {
        reply("error unknown command");
    }
    return true;
}

DWORD WINAPI readCommands(void*) {
    char line[8192];
    while (std::fgets(line, sizeof line, stdin)) {
        std::string command(line);
        while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
            command.pop_back();
        PostThreadMessageA(windowThreadId, kCommandMessage, 0,
                           reinterpret_cast<LPARAM>(new std::string(command)));
    }
    PostThreadMessageA(windowThreadId, kCommandMessage, 0,
                       reinterpret_cast<LPARAM>(new std::string("quit")));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string address = "http://firefox.example/";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "/address") == 0) address = argv[i + 1];

    CoInitialize(nullptr);  // the proxies of other processes call in through this thread's loop
    tree = bench::buildFirefoxTree(wide(address));
    windowThreadId = GetCurrentThreadId();
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // create this thread's queue
    reply("ready " + std::to_string(GetCurrentProcessId()));
    CloseHandle(CreateThread(nullptr, 0, readCommands, nullptr, 0, nullptr));
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kCommandMessage) {
            std::string* command = reinterpret_cast<std::string*>(message.lParam);
            bool goOn = runCommand(*command);
            delete command;
            if (!goOn) break;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
