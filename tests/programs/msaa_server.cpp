// A stand-in for a Firefox process: its top-level windows serve a small Firefox-like
// accessibility tree to other processes through WM_GETOBJECT.
//
//   msaa_server.exe [/address <text>] [/textvalue <text>] [/stall]
//
//   /address <text>    the tree holds the address combo box, whose name and value are <text>,
//                      with an editable text element named <text> inside it
//   /textvalue <text>  the text element's value (the address a reader reports); default <text>
//   /stall             WM_GETOBJECT is not answered until the process is told to quit
//
// Without /address the tree has a search combo box but no address combo box.
// Windows are made and driven with the commands of the test window program, one a line on
// standard input, each answered with one line on standard output:
//   create <class> <hex title>  -> "hwnd <n>"   show <hwnd> -> "ok"   hide <hwnd> -> "ok"
//   title <hwnd> <hex title>    -> "ok"         destroy <hwnd> -> "ok"
//   hang <ms>                   -> "ok"         quit -> "bye"
// Every window answers OBJID_WINDOW with a window object (title bar, client, scroll bar) and
// OBJID_CLIENT with the client object, which holds a menu bar, the navigation toolbar and a
// document. The window object is answered here because the system's own one offers nothing
// under Wine.
#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "window_commands.h"

#include "msaa_node.h"

namespace {

using msaa_test::Node;

constexpr LONG kRoleTitleBar = 0x01;
constexpr LONG kRoleMenuBar = 0x02;
constexpr LONG kRoleWindow = 0x09;
constexpr LONG kRoleClient = 0x0A;
constexpr LONG kRoleDocument = 0x0F;
constexpr LONG kRoleToolbar = 0x16;
constexpr LONG kRolePushButton = 0x2B;

HANDLE stallRelease = nullptr;  // set when the process is told to quit
bool stall = false;
Node* windowObject = nullptr;
Node* clientObject = nullptr;

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

// The nodes live as long as the process: proxies in other processes may call them at any time.
Node& newNode(const char* label) { return *new Node(label); }

void buildTree(bool withAddress, const std::wstring& address, const std::wstring& textValue) {
    Node& window = newNode("window").role(kRoleWindow).name(L"Lookout test browser");
    Node& client = newNode("client").role(kRoleClient);
    window.addById(newNode("titlebar").role(kRoleTitleBar).name(L"title bar"))
        .add(client)
        .addSimple();  // the scroll bar stand-in

    Node& menuBar = newNode("menubar").role(kRoleMenuBar).name(L"Menu");
    menuBar.addSimple().addSimple();
    Node& toolbar = newNode("toolbar").role(kRoleToolbar).name(L"Navigation");
    toolbar.addById(newNode("back").role(kRolePushButton).name(L"Back"));
    if (withAddress) {
        Node& urlCombo = newNode("urlbar").role(ROLE_SYSTEM_COMBOBOX).name(address).value(address);
        urlCombo.addSimple()  // the drop-down button
            .addById(newNode("urltext").role(ROLE_SYSTEM_TEXT).name(address).value(textValue));
        toolbar.add(urlCombo);
    }
    Node& search = newNode("search").role(ROLE_SYSTEM_COMBOBOX).name(L"Search").value(L"");
    search.add(newNode("searchtext").role(ROLE_SYSTEM_TEXT).name(L"Search").value(L""));
    toolbar.add(search);
    client.add(menuBar).add(toolbar).add(
        newNode("document").role(kRoleDocument).name(L"Lookout test page"));
    windowObject = &window;
    clientObject = &client;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_GETOBJECT) {
        if (stall) WaitForSingleObject(stallRelease, INFINITE);
        // The object id travels in the low 32 bits; ids other than OBJID_WINDOW are negative.
        LONG objectId = static_cast<LONG>(static_cast<DWORD>(lParam));
        if (objectId == OBJID_WINDOW)
            return LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(windowObject));
        if (objectId == OBJID_CLIENT)
            return LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(clientObject));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    bool withAddress = false;
    std::string address, textValue;
    bool textValueGiven = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "/address") == 0 && i + 1 < argc) {
            withAddress = true;
            address = argv[++i];
        } else if (std::strcmp(argv[i], "/textvalue") == 0 && i + 1 < argc) {
            textValueGiven = true;
            textValue = argv[++i];
        } else if (std::strcmp(argv[i], "/stall") == 0) {
            stall = true;
        }
    }
    if (!textValueGiven) textValue = address;

    CoInitialize(nullptr);  // the proxies of other processes call in through this thread's loop
    stallRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    buildTree(withAddress, wide(address), wide(textValue));

    window_commands::Options options;
    options.windowProc = windowProc;
    options.quitting = stallRelease;
    return window_commands::run(options);
}
