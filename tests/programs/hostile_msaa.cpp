// A Firefox stand-in for the hostile tests: its windows serve a small Firefox-like accessibility
// tree whose address may hold any bytes, whose window thread can stop answering in the middle of
// a walk, a tree that never ends, or a forged answer to WM_GETOBJECT.
//
//   hostile_msaa.exe [/address <hex>] [/stall-in-walk] [/tree endless|self] [/forge-reply]
//
//   /address <hex>    the address combo box and its text element carry these bytes (in the ANSI
//                     code page) as name and value; without it the tree has no address
//   /stall-in-walk    the navigation toolbar's child count is never answered: the window thread
//                     waits inside that call until the process is told to quit, after the
//                     window's object has been handed out and the walk has begun
//   /tree endless     the window's object claims 2^31 - 1 children, but its enumerator never
//                     gives one
//   /tree self        the window's object claims 2^31 - 1 children and each of them is itself
//   /forge-reply      WM_GETOBJECT is answered as Wine's accessibility library answers it, but
//                     naming a shared memory block far larger than the one it holds
//
// Commands, one a line on standard input, each answered with one line on standard output:
//   create <class> <hex title> -> "hwnd <n>"   show <hwnd> -> "ok"   quit -> "bye"
//   calls -> "calls <n>", the number of calls made so far on the tree's objects
// It prints "ready <pid>" first.
#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "window_commands.h"

#include "msaa_node.h"

namespace {

using msaa_test::Node;

constexpr LONG kRoleWindow = 0x09;
constexpr LONG kRoleClient = 0x0A;
constexpr LONG kRoleToolbar = 0x16;

constexpr LONG kEndlessCount = 0x7FFFFFFF;

HANDLE quitting = nullptr;  // set when the process is told to quit
Node* windowObject = nullptr;
bool forgeReply = false;
std::vector<std::string> calls;  // made on the window thread, which also answers "calls"

// A toolbar whose child count stops the window thread until the process quits.
class StallingNode : public Node {
public:
    using Node::Node;
    STDMETHODIMP get_accChildCount(LONG* count) noexcept override {
        WaitForSingleObject(quitting, INFINITE);
        return Node::get_accChildCount(count);
    }
};

// Every element its enumerator gives is this node again.
class SelfNode : public Node {
public:
    using Node::Node;
    STDMETHODIMP Next(ULONG wanted, VARIANT* elements, ULONG* fetched) noexcept override {
        Reset();
        return Node::Next(wanted, elements, fetched);
    }
};

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

// The nodes live as long as the process: proxies in other processes may call them at any time.
void buildEndlessTree(const std::string& shape) {
    if (shape == "self") {
        Node& window = *new SelfNode("self", &calls);
        window.role(kRoleWindow).add(window);
        windowObject = &window;
    } else {
        windowObject = new Node("endless", &calls);
    }
    windowObject->reportChildCount(kEndlessCount);
}

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

// Wine's reply is a global atom "<prefix>:<process id>:<mapping>:<size>" that names a mapping
// of this process holding the marshaled object. The forged one keeps the real reply's prefix and
// process id, and names a new one-page mapping with a size of 16 MiB.
LRESULT forgedReply(WPARAM wParam) {
    const LRESULT real =
        LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(windowObject));
    char name[256] = {};
    const UINT length = GlobalGetAtomNameA(static_cast<ATOM>(real), name, sizeof name);
    const std::string text(name, length);
    const std::size_t sizeColon = text.rfind(':');
    const std::size_t mappingColon =
        sizeColon == std::string::npos || sizeColon == 0 ? std::string::npos
                                                         : text.rfind(':', sizeColon - 1);
    if (mappingColon == std::string::npos) return real;  // not Wine's form: answered truly
    GlobalDeleteAtom(static_cast<ATOM>(real));
    HANDLE page =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
    char forged[300];
    std::snprintf(forged, sizeof forged, "%s:%08x:%08x", text.substr(0, mappingColon).c_str(),
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(page)), 16u << 20);
    return GlobalAddAtomA(forged);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_GETOBJECT && static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_WINDOW) {
        if (forgeReply) return forgedReply(wParam);
        return LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(windowObject));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool countCalls(const std::string& verb, std::istringstream&) {
    if (verb != "calls") return false;
    window_commands::reply("calls " + std::to_string(calls.size()));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool withAddress = false, stall = false;
    std::string address, endless;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "/address") == 0 && i + 1 < argc) {
            withAddress = true;
            address = window_commands::fromHex(argv[++i]);
        } else if (std::strcmp(argv[i], "/stall-in-walk") == 0) {
            stall = true;
        } else if (std::strcmp(argv[i], "/tree") == 0 && i + 1 < argc) {
            endless = argv[++i];
        } else if (std::strcmp(argv[i], "/forge-reply") == 0) {
            forgeReply = true;
        }
    }
    CoInitialize(nullptr);  // the proxies of other processes call in through this thread's loop
    quitting = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (endless.empty())
        buildTree(withAddress, wide(address), stall);
    else
        buildEndlessTree(endless);

    window_commands::Options options;
    options.windowProc = windowProc;
    options.extra = countCalls;
    options.quitting = quitting;
    return window_commands::run(options);
}
