// A stand-in for a browser's DDE server on the topic "WWW_GetWindowInfo", in a hidden top-level
// window. Switches choose its behaviour:
//   --app <name>          application name it serves (default FireFox)
//   --url <u> --title <t> reply "<u>","<t>" (default "http://example.test/","Example")
//   --reply-hex <hex>     reply these bytes instead
//   --no-data             acknowledge the initiate, never answer a request
//   --nack                answer a request with a negative acknowledgement
//   --no-ackreq           data without fAckReq      --no-release   data without fRelease
//   --no-nul              the text fills the block with no NUL after it
//   --header-only         a block of the 4-byte DDEDATA header alone, without any value
//   --delay <ms>          send the data this long after the request
//   --keep-running        keep serving after standard input ends (for the demo)
// It prints "ready <pid> <hwnd>", then a line per event: "initiate", "request <item>",
// "data", "ack <status>", "terminate". Commands on standard input: "ping" (answered "pong"
// once every message posted before it has been handled) and "quit"; the end of standard input
// counts as "quit".
#include <windows.h>

#include <dde.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr UINT kCommandMessage = WM_APP + 1;
constexpr UINT_PTR kDataTimer = 1;

struct Options {
    std::string app = "FireFox";
    std::string reply = "\"http://example.test/\",\"Example\"";
    bool noData = false, nack = false, ackReq = true, release = true, nul = true;
    bool headerOnly = false, keepRunning = false;
    unsigned delayMs = 0;
} options;

DWORD windowThreadId = 0;
HWND pendingClient = nullptr;
ATOM pendingItem = 0;

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string atomName(ATOM atom) {
    char name[256] = {};
    GlobalGetAtomNameA(atom, name, sizeof name);
    return name;
}

std::string fromHex(const std::string& hex) {
    std::string text;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        text += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return text;
}

void sendData(HWND self, HWND client, ATOM item) {
    std::size_t size = options.headerOnly ? 4 : 4 + options.reply.size() + (options.nul ? 1 : 0);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, size);
    auto* block = static_cast<unsigned char*>(GlobalLock(data));
    WORD flags = 0x1000;  // fResponse
    if (options.ackReq) flags |= 0x8000;
    if (options.release) flags |= 0x2000;
    std::memcpy(block, &flags, 2);
    WORD format = CF_TEXT;
    std::memcpy(block + 2, &format, 2);
    if (!options.headerOnly) std::memcpy(block + 4, options.reply.data(), options.reply.size());
    GlobalUnlock(data);
    LPARAM packed = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(data), item);
    if (!PostMessageA(client, WM_DDE_DATA, reinterpret_cast<WPARAM>(self), packed)) {
        FreeDDElParam(WM_DDE_DATA, packed);
        GlobalFree(data);
        GlobalDeleteAtom(item);
        say("data not posted");
        return;
    }
    say("data");
}

LRESULT CALLBACK serverProc(HWND self, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    HWND client = reinterpret_cast<HWND>(wParam);
    switch (message) {
        case WM_DDE_INITIATE: {
            if (lstrcmpiA(atomName(LOWORD(lParam)).c_str(), options.app.c_str()) != 0 ||
                lstrcmpiA(atomName(HIWORD(lParam)).c_str(), "WWW_GetWindowInfo") != 0)
                return 0;
            say("initiate");
            // A client window that is gone could not delete the atoms of an answer.
            if (!IsWindow(client)) return 0;
            // New atoms for the answer; the client deletes them.
            ATOM app = GlobalAddAtomA(options.app.c_str());
            ATOM topic = GlobalAddAtomA("WWW_GetWindowInfo");
            SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(self), MAKELPARAM(app, topic));
            return 0;
        }
        case WM_DDE_REQUEST: {
            ATOM item = HIWORD(lParam);
            say("request " + atomName(item));
            if (options.noData) {
                GlobalDeleteAtom(item);
            } else if (options.nack) {
                PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(self),
                             PackDDElParam(WM_DDE_ACK, 0, item));
            } else if (options.delayMs > 0) {
                pendingClient = client;
                pendingItem = item;
                SetTimer(self, kDataTimer, options.delayMs, nullptr);
            } else {
                sendData(self, client, item);
            }
            return 0;
        }
        case WM_TIMER:
            KillTimer(self, kDataTimer);
            sendData(self, pendingClient, pendingItem);
            return 0;
        case WM_DDE_ACK: {
            UINT_PTR status = 0, item = 0;
            UnpackDDElParam(WM_DDE_ACK, lParam, &status, &item);
            FreeDDElParam(WM_DDE_ACK, lParam);
            GlobalDeleteAtom(static_cast<ATOM>(item));
            char line[32];
            std::snprintf(line, sizeof line, "ack %04x", static_cast<unsigned>(status));
            say(line);
            return 0;
        }
        case WM_DDE_TERMINATE:
            say("terminate");
            PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(self), 0);
            return 0;
        default:
            return DefWindowProcA(self, message, wParam, lParam);
    }
}

DWORD WINAPI readCommands(void*) {
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        WPARAM quit = std::strncmp(line, "quit", 4) == 0;
        PostThreadMessageA(windowThreadId, kCommandMessage, quit, 0);
        if (quit) return 0;
    }
    // The end of standard input means the test has gone, unless the server was asked to stay.
    if (!options.keepRunning) PostThreadMessageA(windowThreadId, kCommandMessage, 1, 0);
    return 0;
}

void parse(int argc, char** argv) {
    std::string url = "http://example.test/", title = "Example";
    bool customReply = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--app" && hasValue) options.app = argv[++i];
        else if (arg == "--url" && hasValue) url = argv[++i];
        else if (arg == "--title" && hasValue) title = argv[++i];
        else if (arg == "--reply-hex" && hasValue) {
            options.reply = fromHex(argv[++i]);
            customReply = true;
        }
        else if (arg == "--delay" && hasValue) options.delayMs = std::strtoul(argv[++i], nullptr, 10);
        else if (arg == "--no-data") options.noData = true;
        else if (arg == "--nack") options.nack = true;
        else if (arg == "--no-ackreq") options.ackReq = false;
        else if (arg == "--no-release") options.release = false;
        else if (arg == "--no-nul") options.nul = false;
        else if (arg == "--header-only") options.headerOnly = true;
        else if (arg == "--keep-running") options.keepRunning = true;
    }
    if (!customReply) options.reply = "\"" + url + "\",\"" + title + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    parse(argc, argv);
    windowThreadId = GetCurrentThreadId();
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // create this thread's queue
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = serverProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "LookoutDdeServer";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "LookoutDdeServer", options.app.c_str(), WS_OVERLAPPEDWINDOW,
                                  0, 0, 100, 100, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    if (!window) return 2;
    say("ready " + std::to_string(GetCurrentProcessId()) + " " +
        std::to_string(reinterpret_cast<std::uintptr_t>(window)));
    CloseHandle(CreateThread(nullptr, 0, readCommands, nullptr, 0, nullptr));
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kCommandMessage) {
            if (message.wParam) break;
            say("pong");
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyWindow(window);
    return 0;
}
