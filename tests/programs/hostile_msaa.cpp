// A Firefox stand-in for the hostile tests: its windows serve a small Firefox-like accessibility
// tree whose address may hold any bytes, and whose window thread can stop answering in the middle
// of a walk.
//
//   hostile_msaa.exe [/address <hex>] [/stall-in-walk]
//
//   /address <hex>    the address combo box and its text element carry these bytes (in the ANSI
//                     code page) as name and value; without it the tree has no address
//   /stall-in-walk    the navigation toolbar's child count is never answered: the window thread
//                     waits inside that call until the process is told to quit, after the
//                     window's object has been handed out and the walk has begun
//
// Commands, one a line on standard input, each answered with one line on standard output:
//   create <class> <hex title> -> "hwnd <n>"   show <hwnd> -> "ok"   quit -> "bye"
// It prints "ready <pid>" first.
#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

#include "msaa_node.h"

namespace {

using msaa_test::Node;

constexpr UINT kCommandMessage = WM_APP + 1;
constexpr LONG kRoleWindow = 0x09;
constexpr LONG kRoleClient = 0x0A;
constexpr LONG kRoleToolbar = 0x16;

DWORD windowThreadId = 0;
HANDLE quitting = nullptr;  // set when the process is told to quit
Node* windowObject = nullptr;

void reply(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// A toolbar whose child count stops the window thread until the process quits.
class StallingNode : public Node {
public:
    using Node::Node;
    STDMETHODIMP get_accChildCount(LONG* count) noexcept override {
        WaitForSingleObject(quitting, INFINITE);
        return Node::get_accChildCount(count);
    }
};

std::string fromHex(const std::string& hex) {
    std::string text;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        text += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return text;
}

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

// The nodes live as long as the process: proxies in other processes may call them at any time.
void buildTree(bool withAddress, const std::wstring& address, bool stall) {
    Node& window = *new Node("window");
    Node& client = *new Node("client");
    window.role(kRoleWindow).add(client);
    Node& toolbar = stall ? *new StallingNode("toolbar") : *new Node("toolbar");
    toolbar.role(kRoleToolbar).name(L"Navigation");
    if (withAddress) {
        Node& combo = (new Node("urlbar"))->role(ROLE_SYSTEM_COMBOBOX).name(address).value(address);
        combo.add((new Node("urltext"))->role(ROLE_SYSTEM_TEXT).name(address).value(address));
        toolbar.add(combo);
    }
    client.role(kRoleClient).add(toolbar);
    windowObject = &window;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_GETOBJECT && static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_WINDOW)
        return LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(windowObject));
    return DefWindowProcA(window, message, wParam, lParam);
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
        static std::set<std::string> registered;
        if (!registered.count(className)) {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = windowProc;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.lpszClassName = className.c_str();
            RegisterClassA(&windowClass);
            registered.insert(className);
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
        // A stalled window thread would never get to the quit command.
        if (command == "quit") SetEvent(quitting);
        PostThreadMessageA(windowThreadId, kCommandMessage, 0,
                           reinterpret_cast<LPARAM>(new std::string(command)));
    }
    SetEvent(quitting);
    PostThreadMessageA(windowThreadId, kCommandMessage, 0,
                       reinterpret_cast<LPARAM>(new std::string("quit")));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool withAddress = false, stall = false;
    std::string address;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "/address") == 0 && i + 1 < argc) {
            withAddress = true;
            address = fromHex(argv[++i]);
        } else if (std::strcmp(argv[i], "/stall-in-walk") == 0) {
            stall = true;
        }
    }
    CoInitialize(nullptr);  // the proxies of other processes call in through this thread's loop
    quitting = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    buildTree(withAddress, wide(address), stall);

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
