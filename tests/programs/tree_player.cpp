// The tree player: a stand-in for any browser. Its top-level windows serve the accessibility tree
// of a tree file to other processes through WM_GETOBJECT (OBJID_CLIENT: the file's root;
// OBJID_WINDOW: a window object around it, as the system's own offers nothing under Wine).
//
//   tree_player.exe /tree <file>
//
// Its commands and the file format: tests/trees/README.md.
#include <windows.h>
#include <oleacc.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "window_commands.h"

#include "tree_file.h"

namespace {

using msaa_test::Node;

HANDLE quitting = nullptr;  // set when the process is told to quit
msaa_test::CallCounts counts;  // made on the window thread, which also answers the commands
std::unique_ptr<msaa_test::TreeFile> tree;
Node* windowObject = nullptr;

// The window object around the current root.
void frame() {
    static Node& window = (new Node("window"))->countInto(&counts, "window", quitting);
    static Node& titleBar =
        (new Node("titlebar"))->name(L"title bar").countInto(&counts, "window/1", quitting);
    windowObject = &window.role(ROLE_SYSTEM_WINDOW).name(tree->window().title).clearChildren();
    window.addById(titleBar.role(ROLE_SYSTEM_TITLEBAR)).add(tree->root()).addSimple();  // scroll bar
}

// Wine's reply is a global atom "<prefix>:<process id>:<mapping>:<size>" that names a mapping
// of this process holding the marshaled object. The forged one keeps the real reply's prefix and
// process id, and names a new one-page mapping with a size of 16 MiB.
LRESULT forgedReply(const LRESULT real) {
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

bool reload(std::string* fault) {
    try {
        tree->reload();
        frame();
        return true;
    } catch (const std::exception& error) {
        if (fault) *fault = error.what();
        return false;
    }
}

// The answer to WM_GETOBJECT, or -1 when the message is left to the system.
LRESULT objectFor(WPARAM wParam, LPARAM lParam) {
    if (tree->changed()) reload(nullptr);
    // The object id travels in the low 32 bits; ids other than OBJID_WINDOW are negative.
    const LONG objectId = static_cast<LONG>(static_cast<DWORD>(lParam));
    IAccessible* object = objectId == OBJID_WINDOW   ? windowObject
                          : objectId == OBJID_CLIENT ? &tree->root()
                                                     : nullptr;
    if (!object) return -1;
    if (tree->stalls()) WaitForSingleObject(quitting, INFINITE);
    const LRESULT reply = LresultFromObject(IID_IAccessible, wParam, object);
    return tree->forgesReply() ? forgedReply(reply) : reply;
}

// For the classes of "create" (ANSI) and "window" (Unicode) alike.
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const LRESULT reply = message == WM_GETOBJECT ? objectFor(wParam, lParam) : -1;
    if (reply != -1) return reply;
    return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                   : DefWindowProcA(window, message, wParam, lParam);
}

HWND createFileWindow() {
    const std::wstring& className = tree->window().className;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className.c_str();
    RegisterClassW(&windowClass);  // fails harmlessly when registered before
    return CreateWindowExW(0, className.c_str(), tree->window().title.c_str(), WS_OVERLAPPEDWINDOW,
                           10, 10, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

bool playerCommand(const std::string& verb, std::istringstream&) {
    if (verb == "window") {
        window_commands::reply(
            "hwnd " + std::to_string(reinterpret_cast<std::uintptr_t>(createFileWindow())));
    } else if (verb == "calls") {
        window_commands::reply("calls " + std::to_string(counts.total));
    } else if (verb == "counts") {
        nlohmann::json objects = nlohmann::json::object();
        for (const auto& [path, methods] : counts.objects)
            for (const auto& [method, n] : methods) objects[path][method] = n;
        window_commands::reply(
            "counts " + nlohmann::json{{"total", counts.total}, {"objects", objects}}.dump());
    } else if (verb == "reload") {
        std::string fault;
        window_commands::reply(reload(&fault) ? "ok" : "error " + fault);
    } else {
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "/tree") == 0) path = argv[i + 1];
    CoInitialize(nullptr);  // the proxies of other processes call in through this thread's loop
    quitting = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    try {
        tree = std::make_unique<msaa_test::TreeFile>(path, &counts, quitting);
    } catch (const std::exception& error) {
        window_commands::reply(std::string("error ") + error.what());
        return 2;
    }
    frame();

    window_commands::Options options;
    options.windowProc = windowProc;
    options.extra = playerCommand;
    options.quitting = quitting;
    return window_commands::run(options);
}
