#include "window_commands.h"

#include <cstdio>
#include <cstdlib>
#include <set>

namespace window_commands {

namespace {

constexpr UINT kCommandMessage = WM_APP + 1;

struct Loop {
    DWORD windowThreadId = 0;
    HANDLE quitting = nullptr;
};

void post(const Loop& loop, const std::string& command) {
    PostThreadMessageA(loop.windowThreadId, kCommandMessage, 0,
                       reinterpret_cast<LPARAM>(new std::string(command)));
}

DWORD WINAPI readCommands(void* context) {
    const Loop& loop = *static_cast<const Loop*>(context);
    char line[8192];
    while (std::fgets(line, sizeof line, stdin)) {
        std::string command(line);
        while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
            command.pop_back();
        // A window thread stalled on purpose would never get to the quit command.
        if (command == "quit" && loop.quitting) SetEvent(loop.quitting);
        post(loop, command);
    }
    if (loop.quitting) SetEvent(loop.quitting);
    post(loop, "quit");
    return 0;
}

// Returns false on "quit".
bool runCommand(const Options& options, const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (options.extra && options.extra(verb, in)) return true;
    if (verb == "create") {
        std::string className, hexTitle;
        in >> className >> hexTitle;
        if (!options.unicode) registerClass(className, options.windowProc);
        HWND window =
            options.unicode
                ? createUnicodeWindow(className, hexTitle, WS_OVERLAPPEDWINDOW, nullptr)
                : CreateWindowExA(0, className.c_str(), fromHex(hexTitle).c_str(),
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
    } else if (verb == "quit") {
        reply("bye");
        return false;
    } else {
        reply("error unknown command");
    }
    return true;
}

}  // namespace

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

void registerClass(const std::string& className, WNDPROC windowProc) {
    static std::set<std::string> registered;
    if (registered.count(className)) return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className.c_str();
    RegisterClassA(&windowClass);
    registered.insert(className);
}

HWND createUnicodeWindow(const std::string& className, const std::string& hexText, DWORD style,
                         HWND parent) {
    const std::wstring wideClass(className.begin(), className.end());  // ASCII names
    const std::string utf8 = fromHex(hexText);
    std::wstring text(utf8.size() + 1, L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    &text[0], static_cast<int>(text.size())));
    WNDCLASSW windowClass = {};
    if (!GetClassInfoW(nullptr, wideClass.c_str(), &windowClass)) {
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = wideClass.c_str();
        RegisterClassW(&windowClass);  // fails harmlessly when registered before
    }
    HWND window = CreateWindowExW(0, wideClass.c_str(), L"", style, 10, 10, 300, 200, parent,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowTextW(window, text.c_str());
    return window;
}

HWND windowArg(std::istringstream& in) {
    unsigned long long value = 0;
    in >> value;
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

int run(const Options& options) {
    static Loop loop;
    loop.windowThreadId = GetCurrentThreadId();
    loop.quitting = options.quitting;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // create this thread's queue
    reply("ready " + std::to_string(GetCurrentProcessId()));
    CloseHandle(CreateThread(nullptr, 0, readCommands, &loop, 0, nullptr));
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kCommandMessage) {
            std::string* command = reinterpret_cast<std::string*>(message.lParam);
            bool goOn = runCommand(options, *command);
            delete command;
            if (!goOn) break;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace window_commands
