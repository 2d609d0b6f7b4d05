// A stand-in for a browser process: its top-level windows serve a small browser-like
// accessibility tree to other processes through WM_GETOBJECT. Tests run copies of it named after
// the browsers' executables.
//
//   msaa_server.exe [/tree firefox|firefox-today|chromium] [/address <text>] [/textvalue <text>]
//                   [/name <text>] [/shortcut <text> | /noshortcut] [/stall]
//
//   firefox        (the default) an older Firefox: with /address, the address combo box, whose
//                  name and value are <text>, with a text element named <text> and valued
//                  /textvalue (default <text>) inside; without, only a search combo box
//   firefox-today  a document holding a combo box that spoofs an address ("http://spoof.example/"
//                  as name, value and text element), then the toolbar's combo box, named <name>
//                  (default "Search or enter address") without a value, with a text element of
//                  that name whose value is the address
//   chromium       a document holding a text field with the shortcut "Ctrl+L", a tab strip, then
//                  the toolbar with buttons and the address field: a text element named <name>
//                  (default "Address and search bar"), shortcut "Ctrl+L" or <text>, value the
//                  address
//   /stall         WM_GETOBJECT is not answered until the process is told to quit
// A <text> of "hex:" and hex digits is the UTF-8 text of those bytes, any other is ANSI.
// Windows are made and driven with the commands of the test window program, one a line on
// standard input, each answered with one line on standard output:
//   create <class> <hex title>  -> "hwnd <n>"   show <hwnd> -> "ok"   hide <hwnd> -> "ok"
//   title <hwnd> <hex title>    -> "ok"         destroy <hwnd> -> "ok"
//   hang <ms>                   -> "ok"         quit -> "bye"
//   calls                       -> "calls <n>", the number of calls made so far on the tree
// Every window answers OBJID_WINDOW with a window object (title bar, client, scroll bar) and
// OBJID_CLIENT with the client object, which holds the tree above. The window object is
// answered here because the system's own one offers nothing under Wine.
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

constexpr LONG kRoleTitleBar = 0x01;
constexpr LONG kRoleMenuBar = 0x02;
constexpr LONG kRoleWindow = 0x09;
constexpr LONG kRoleClient = 0x0A;
constexpr LONG kRoleDocument = 0x0F;
constexpr LONG kRoleGrouping = 0x14;
constexpr LONG kRoleToolbar = 0x16;
constexpr LONG kRolePageTab = 0x25;
constexpr LONG kRolePushButton = 0x2B;
constexpr LONG kRolePageTabList = 0x3C;

HANDLE stallRelease = nullptr;  // set when the process is told to quit
bool stall = false;
Node* windowObject = nullptr;
Node* clientObject = nullptr;
std::vector<std::string> calls;  // made on the window thread, which also answers "calls"

struct Shape {
    std::string tree = "firefox";
    bool withAddress = false;
    std::wstring address, textValue, name;
    std::wstring shortcut = L"Ctrl+L";
    bool withShortcut = true;
};

// A text in the ANSI code page, or "hex:" and UTF-8 bytes as hex.
std::wstring wide(const std::string& argument) {
    const bool utf8 = argument.rfind("hex:", 0) == 0;
    const std::string text = utf8 ? window_commands::fromHex(argument.substr(4)) : argument;
    const UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, &result[0], size);
    return result;
}

// The nodes live as long as the process: proxies in other processes may call them at any time.
Node& newNode(const char* label) { return *new Node(label, &calls); }

// The window object around a client object: title bar, client, scroll bar.
void frame(Node& client) {
    Node& window = newNode("window").role(kRoleWindow).name(L"Lookout test browser");
    window.addById(newNode("titlebar").role(kRoleTitleBar).name(L"title bar"))
        .add(client)
        .addSimple();  // the scroll bar stand-in
    windowObject = &window;
    clientObject = &client;
}

void buildTree(bool withAddress, const std::wstring& address, const std::wstring& textValue) {
    Node& client = newNode("client").role(kRoleClient);
    frame(client);

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
}

// The trees of today's browsers, a page first.
void buildTodayTree(const Shape& shape) {
    Node& client = newNode("client").role(kRoleClient);
    frame(client);
    Node& page = newNode("document").role(kRoleDocument).name(L"A page");
    Node& toolbar = newNode("toolbar").role(kRoleToolbar);
    toolbar.add(newNode("back").role(kRolePushButton).name(L"Back"));
    if (shape.tree == "chromium") {
        page.add(newNode("decoy").role(ROLE_SYSTEM_TEXT).shortcut(L"Ctrl+L").value(L"decoy"));
        Node& address = newNode("address").role(ROLE_SYSTEM_TEXT).value(shape.address)
                            .name(shape.name.empty() ? L"Address and search bar" : shape.name);
        if (shape.withShortcut) address.shortcut(shape.shortcut);
        Node& location = newNode("location").role(kRoleGrouping);
        toolbar.add(location.add(address));
        Node& tabs = newNode("tabs").role(kRolePageTabList);
        client.add(page).add(tabs.add(newNode("tab").role(kRolePageTab).name(L"Tab")));
    } else {
        const std::wstring spoof = L"http://spoof.example/";
        Node& spoofCombo = newNode("spoof").role(ROLE_SYSTEM_COMBOBOX).name(spoof).value(spoof);
        spoofCombo.add(newNode("spooftext").role(ROLE_SYSTEM_TEXT).name(spoof).value(spoof));
        page.add(spoofCombo);
        const std::wstring name = shape.name.empty() ? L"Search or enter address" : shape.name;
        Node& urlCombo = newNode("urlbar").role(ROLE_SYSTEM_COMBOBOX).name(name);
        urlCombo.addById(newNode("urltext").role(ROLE_SYSTEM_TEXT).name(name).value(shape.address));
        toolbar.add(urlCombo);
        client.add(page);
    }
    client.add(toolbar);
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

bool countCalls(const std::string& verb, std::istringstream&) {
    if (verb != "calls") return false;
    window_commands::reply("calls " + std::to_string(calls.size()));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Shape shape;
    bool textValueGiven = false;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "/address") == 0 && hasValue) {
            shape.withAddress = true;
            shape.address = wide(argv[++i]);
        } else if (std::strcmp(argv[i], "/textvalue") == 0 && hasValue) {
            textValueGiven = true;
            shape.textValue = wide(argv[++i]);
        } else if (std::strcmp(argv[i], "/tree") == 0 && hasValue) {
            shape.tree = argv[++i];
        } else if (std::strcmp(argv[i], "/name") == 0 && hasValue) {
            shape.name = wide(argv[++i]);
        } else if (std::strcmp(argv[i], "/shortcut") == 0 && hasValue) {
            shape.shortcut = wide(argv[++i]);
        } else if (std::strcmp(argv[i], "/noshortcut") == 0) {
            shape.withShortcut = false;
        } else if (std::strcmp(argv[i], "/stall") == 0) {
            stall = true;
        }
    }
    if (!textValueGiven) shape.textValue = shape.address;

    CoInitialize(nullptr);  // the proxies of other processes call in through this thread's loop
    stallRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (shape.tree == "firefox")
        buildTree(shape.withAddress, shape.address, shape.textValue);
    else
        buildTodayTree(shape);

    window_commands::Options options;
    options.windowProc = windowProc;
    options.extra = countCalls;
    options.quitting = stallRelease;
    return window_commands::run(options);
}
