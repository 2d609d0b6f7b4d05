// A scriptable window process for the end-to-end tests. It reads one command a line on standard
// input and answers one line on standard output:
//   create <class> <hex title>   -> "hwnd <n>"    a hidden top-level window of that class
//   show <hwnd>                  -> "ok"          show it and bring it to the foreground
//   hide <hwnd>                  -> "ok"          hide it
//   title <hwnd> <hex title>     -> "ok"          set its title
//   destroy <hwnd>               -> "ok"
//   hang <ms>                    -> "ok"          the window thread stops pumping for <ms>
//   child <parent> <class> <hex text> -> "hwnd <n>" a visible child window of that class and
//                                                   text under <parent>; a class the system
//                                                   already has (such as Edit) is used as it is
//   showhang <hwnd> <ms>         -> "ok"          show and bring to the foreground, then stop
//                                                   pumping for <ms> before anything else runs
//   quit                         -> "bye"
// Titles travel as hex so that any byte, "$" and blanks included, gets through. The window
// thread runs the commands; a reader thread hands them over with PostThreadMessage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

namespace {

constexpr UINT kCommandMessage = WM_APP + 1;
DWORD windowThreadId = 0;

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
    return DefWindowProcA(window, message, wParam, lParam);
}

void registerClass(const std::string& className) {
    static std::set<std::string> registered;
    if (registered.count(className)) return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className.c_str();
    RegisterClassA(&windowClass);
    registered.insert(className);
}

// Registers a class of our own for a child unless the system already provides one of that
// name, so that a child of class "Edit" is a real edit control.
void registerChildClass(const std::string& className) {
    WNDCLASSA existing = {};
    if (GetClassInfoA(nullptr, className.c_str(), &existing)) return;
    registerClass(className);
}

HWND windowArg(std::istringstream& in) {
    unsigned long long value = 0;
    in >> value;
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

// Returns false on "quit".
bool runCommand(const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "create") {
        std::string className, hexTitle;
        in >> className >> hexTitle;
        registerClass(className);
        HWND window = CreateWindowExA(0, className.c_str(), fromHex(hexTitle).c_str(),
                                      WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        reply("hwnd " + std::to_string(reinterpret_cast<std::uintptr_t>(window)));
    } else if (verb == "show") {
        HWND window = windowArg(in);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        reply("ok");
    } else if (verb == "hide") {
        ShowWindow(windowArg(in), SW_HIDE);
        reply("ok");
    } else if (verb == "title") {
        HWND window = windowArg(in);
        std::string hexTitle;
        in >> hexTitle;
        SetWindowTextA(window, fromHex(hexTitle).c_str());
        reply("ok");
    } else if (verb == "destroy") {
        DestroyWindow(windowArg(in));
        reply("ok");
    } else if (verb == "hang") {
        unsigned long ms = 0;
        in >> ms;
        reply("ok");
        Sleep(ms);
    } else if (verb == "child") {
        HWND parent = windowArg(in);
        std::string className, hexText;
        in >> className >> hexText;
        registerChildClass(className);
        HWND window = CreateWindowExA(0, className.c_str(), fromHex(hexText).c_str(),
                                      WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        reply("hwnd " + std::to_string(reinterpret_cast<std::uintptr_t>(window)));
    } else if (verb == "showhang") {
        HWND window = windowArg(in);
        unsigned long ms = 0;
        in >> ms;
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        reply("ok");
        Sleep(ms);
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
        std::string* command = new std::string(line);
        while (!command->empty() && (command->back() == '\n' || command->back() == '\r'))
            command->pop_back();
        PostThreadMessageA(windowThreadId, kCommandMessage, 0,
                           reinterpret_cast<LPARAM>(command));
    }
    PostThreadMessageA(windowThreadId, kCommandMessage, 0,
                       reinterpret_cast<LPARAM>(new std::string("quit")));
    return 0;
}

}  // namespace

int main() {
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
