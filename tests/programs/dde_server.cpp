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
//   --late-once <ms>      answer the first request this late; requests meanwhile wait their turn
//                         and are answered 200 ms apart
//   --numbered            the address ends with the number of the request it answers
//   --block-size <n>      the data block is n bytes long (the text, then zeros)
//   --nack-others         answer an initiate for another application with a posted negative
//                         acknowledgement, and hold the broadcast 100 ms while it is read
//   --ack-from-gone       answer initiates from a window destroyed right after the answer
//   --renew               after each answer end the conversation; once the client answers the
//                         terminate ("terminate answered"), serve from a new window
//   --sent-ack            answer a request with a sent acknowledgement whose lParam holds a
//                         shared atom twice; report "shared atom kept" or "shared atom deleted"
//   --flood <n>           before the first answer post n unrequested WM_DDE_DATA of 8000 bytes under
//                         made-up senders and n request messages (WM_USER) naming an ordinary window;
//                         report "memory <KB before> <KB after>" of the client once it has
//                         acknowledged the answer
//   --keep-running        keep serving after standard input ends (for the demo)
// It prints "ready <pid> <hwnd>", then a line per event: "initiate", "request <item>",
// "data", "ack <status>", "terminate". Commands on standard input: "ping" (answered "pong"
// once every message posted before it has been handled) and "quit"; the end of standard input
// counts as "quit".
#include <windows.h>

#include <dde.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

namespace {

constexpr UINT kCommandMessage = WM_APP + 1;
constexpr UINT_PTR kDataTimer = 1;

struct Options {
    std::string app = "FireFox";
    std::string url = "http://example.test/", title = "Example", reply;
    bool noData = false, nack = false, ackReq = true, release = true, nul = true;
    bool headerOnly = false, keepRunning = false, numbered = false, nackOthers = false;
    bool ackFromGone = false, renew = false, sentAck = false, customReply = false;
    unsigned delayMs = 0, lateOnceMs = 0, blockSize = 0, flood = 0;
} options;

DWORD windowThreadId = 0;
struct Request {
    HWND client;
    ATOM item;
    unsigned number;
};
std::deque<Request> pending;  // requests not yet answered, oldest first
bool answering = false;                     // a late answer's timer runs
unsigned requests = 0;
bool terminating = false;
long long floodMemoryBefore = 0;
enum { kNotFlooded, kFlooded, kReported } floodState = kNotFlooded;
HWND serving = nullptr;

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

long long memoryKbOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    bool read = process && GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(
                                                             &memory), sizeof memory);
    if (process) CloseHandle(process);
    // Wine leaves PrivateUsage at 0 and reports the commit charge as PagefileUsage.
    return read ? static_cast<long long>(memory.PagefileUsage) / 1024 : -1;
}

// Unrequested data under made-up senders, and request messages naming a window that is no
// DDE server: what any process can post to a client window it has seen.
void flood(HWND client) {
    floodState = kFlooded;
    floodMemoryBefore = memoryKbOf(client);
    HWND ordinary = CreateWindowExA(0, "STATIC", "ordinary", 0, 0, 0, 0, 0, nullptr, nullptr,
                                    nullptr, nullptr);
    std::string text(8000, 'f');
    for (unsigned i = 0; i < options.flood; ++i) {
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 4 + text.size() + 1);
        auto* block = static_cast<unsigned char*>(GlobalLock(data));
        WORD flags = 0x2000;  // fRelease
        std::memcpy(block, &flags, 2);
        block[2] = CF_TEXT;
        block[3] = 0;
        std::memcpy(block + 4, text.c_str(), text.size() + 1);
        GlobalUnlock(data);
        LPARAM packed = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(data), 0);
        WPARAM sender = 0x10000 + 2 * i;
        if (!PostMessageA(client, WM_DDE_DATA, sender, packed)) {
            FreeDDElParam(WM_DDE_DATA, packed);
            GlobalFree(data);
        }
        PostMessageA(client, WM_USER, reinterpret_cast<WPARAM>(ordinary), 0);
    }
}

std::string replyText(unsigned number) {
    if (options.customReply) return options.reply;
    return "\"" + options.url + (options.numbered ? std::to_string(number) : "") + "\",\"" +
           options.title + "\"";
}

void sendData(HWND self, HWND client, ATOM item, unsigned number) {
    std::string reply = replyText(number);
    std::size_t size = options.headerOnly ? 4 : 4 + reply.size() + (options.nul ? 1 : 0);
    if (size < options.blockSize) size = options.blockSize;
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, size);
    auto* block = static_cast<unsigned char*>(GlobalLock(data));
    WORD flags = 0x1000;  // fResponse
    if (options.ackReq) flags |= 0x8000;
    if (options.release) flags |= 0x2000;
    std::memcpy(block, &flags, 2);
    WORD format = CF_TEXT;
    std::memcpy(block + 2, &format, 2);
    if (!options.headerOnly) std::memcpy(block + 4, reply.data(), reply.size());
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
    if (options.renew) {
        terminating = true;
        PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(self), 0);
    }
}

// Answers the oldest request; the next, if any, 200 ms later.
void answerPending(HWND self) {
    Request request = pending.front();
    pending.pop_front();
    sendData(self, request.client, request.item, request.number);
    answering = !pending.empty();
    if (answering) SetTimer(self, kDataTimer, 200, nullptr);
}

HWND createServerWindow();

void ackInitiate(HWND self, HWND client) {
    // New atoms for the answer; the client deletes them.
    ATOM app = GlobalAddAtomA(options.app.c_str());
    ATOM topic = GlobalAddAtomA("WWW_GetWindowInfo");
    HWND from = options.ackFromGone ? CreateWindowExA(0, "STATIC", "gone", 0, 0, 0, 0, 0, nullptr,
                                                      nullptr, nullptr, nullptr)
                                    : self;
    SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(from), MAKELPARAM(app, topic));
    if (from != self) DestroyWindow(from);
}

// Answers with a sent acknowledgement whose lParam holds a shared atom where a packed pair would be.
void sendAck(HWND self, HWND client, ATOM item) {
    GlobalDeleteAtom(item);
    ATOM shared = GlobalFindAtomA("LookoutSharedAtom");
    SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(self), MAKELPARAM(shared, shared));
    say(GlobalFindAtomA("LookoutSharedAtom") ? "shared atom kept" : "shared atom deleted");
}

LRESULT CALLBACK serverProc(HWND self, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    HWND client = reinterpret_cast<HWND>(wParam);
    switch (message) {
        case WM_DDE_INITIATE: {
            if (lstrcmpiA(atomName(LOWORD(lParam)).c_str(), options.app.c_str()) != 0 ||
                lstrcmpiA(atomName(HIWORD(lParam)).c_str(), "WWW_GetWindowInfo") != 0) {
                if (options.nackOthers && IsWindow(client)) {
                    PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(self),
                                 PackDDElParam(WM_DDE_ACK, 0, 0));
                    Sleep(100);
                }
                return 0;
            }
            say("initiate");
            // A client window that is gone could not delete the atoms of an answer; a window
            // whose conversation is ending serves no new one.
            if (IsWindow(client) && !terminating) ackInitiate(self, client);
            return 0;
        }
        case WM_DDE_REQUEST: {
            ATOM item = HIWORD(lParam);
            say("request " + atomName(item));
            ++requests;
            if (options.noData || terminating) {
                GlobalDeleteAtom(item);
            } else if (options.nack) {
                PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(self),
                             PackDDElParam(WM_DDE_ACK, 0, item));
            } else if (options.sentAck) {
                sendAck(self, client, item);
            } else {
                if (options.flood && floodState == kNotFlooded) flood(client);
                pending.push_back({client, item, requests});
                unsigned delay = requests == 1 && options.lateOnceMs ? options.lateOnceMs
                                                                     : options.delayMs;
                if (answering) return 0;  // answered in turn, after the late one
                if (delay == 0) {
                    answerPending(self);
                } else {
                    answering = true;
                    SetTimer(self, kDataTimer, delay, nullptr);
                }
            }
            return 0;
        }
        case WM_TIMER:
            KillTimer(self, kDataTimer);
            answerPending(self);
            return 0;
        case WM_DDE_ACK: {
            UINT_PTR status = 0, item = 0;
            UnpackDDElParam(WM_DDE_ACK, lParam, &status, &item);
            FreeDDElParam(WM_DDE_ACK, lParam);
            GlobalDeleteAtom(static_cast<ATOM>(item));
            char line[32];
            std::snprintf(line, sizeof line, "ack %04x", static_cast<unsigned>(status));
            say(line);
            if (floodState == kFlooded) {
                say("memory " + std::to_string(floodMemoryBefore) + " " +
                    std::to_string(memoryKbOf(client)));
                floodState = kReported;
            }
            return 0;
        }
        case WM_DDE_TERMINATE:
            if (terminating) {
                say("terminate answered");
                terminating = false;
                serving = createServerWindow();
                DestroyWindow(self);
                return 0;
            }
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
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        auto number = [&] { return static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10)); };
        if (arg == "--app" && hasValue) options.app = argv[++i];
        else if (arg == "--url" && hasValue) options.url = argv[++i];
        else if (arg == "--title" && hasValue) options.title = argv[++i];
        else if (arg == "--reply-hex" && hasValue) {
            options.reply = fromHex(argv[++i]);
            options.customReply = true;
        }
        else if (arg == "--delay" && hasValue) options.delayMs = number();
        else if (arg == "--late-once" && hasValue) options.lateOnceMs = number();
        else if (arg == "--block-size" && hasValue) options.blockSize = number();
        else if (arg == "--flood" && hasValue) options.flood = number();
        else if (arg == "--no-data") options.noData = true;
        else if (arg == "--nack") options.nack = true;
        else if (arg == "--no-ackreq") options.ackReq = false;
        else if (arg == "--no-release") options.release = false;
        else if (arg == "--no-nul") options.nul = false;
        else if (arg == "--header-only") options.headerOnly = true;
        else if (arg == "--keep-running") options.keepRunning = true;
        else if (arg == "--numbered") options.numbered = true;
        else if (arg == "--nack-others") options.nackOthers = true;
        else if (arg == "--ack-from-gone") options.ackFromGone = true;
        else if (arg == "--renew") options.renew = true;
        else if (arg == "--sent-ack") options.sentAck = true;
    }
}

HWND createServerWindow() {
    return CreateWindowExA(0, "LookoutDdeServer", options.app.c_str(), WS_OVERLAPPEDWINDOW, 0, 0,
                           100, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
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
    serving = createServerWindow();
    if (!serving) return 2;
    // Held while the server runs, so that a client deleting it by mistake shows.
    ATOM shared = options.sentAck ? GlobalAddAtomA("LookoutSharedAtom") : 0;
    say("ready " + std::to_string(GetCurrentProcessId()) + " " +
        std::to_string(reinterpret_cast<std::uintptr_t>(serving)));
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
    DestroyWindow(serving);
    if (shared && GlobalFindAtomA("LookoutSharedAtom") == shared) GlobalDeleteAtom(shared);
    return 0;
}
