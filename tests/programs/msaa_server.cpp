// A stand-in for a browser process: its top-level windows serve a small browser-like
// accessibility tree to other processes through WM_GETOBJECT. Tests run copies of it named after
// the browsers' executables.
//
//   msaa_server.exe [/tree firefox|firefox-today|chromium] [/address <text>] [/textvalue <text>]
//                   [/name <text>] [/shortcut <text>] [/noshortcut] [/stall]
//
//   /tree firefox        (the default) an older Firefox: with /address, the address combo box,
//                        whose name and value are <text>, with an editable text element named
//                        <text> inside it; without, a search combo box but no address combo box
//   /tree firefox-today  a current Firefox: a document with a combo box that spoofs an address
//                        (name, value and text element "http://spoof.example/"), then the
//                        address combo box, named <name> (default "Search or enter address")
//                        and without a value, with a text element of that name whose value is
//                        the address
//   /tree chromium       a Chromium-family browser, served for OBJID_CLIENT: a document with a
//                        decoy text field (shortcut "Ctrl+L"), a tab strip, then the toolbar
//                        with back, forward and reload buttons and the address field, a text
//                        element named <name> (default "Address and search bar") with the
//                        shortcut <text> (default "Ctrl+L"; none with /noshortcut) whose value
//                        is the address
//   /textvalue <text>    firefox: the text element's value (the address a reader reports);
//                        default <text>
//   /stall               WM_GETOBJECT is not answered until the process is told to quit
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

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
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

void buildFirefoxTree(bool withAddress, const std::wstring& address, const std::wstring& textValue) {
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

void buildFirefoxTodayTree(const Shape& shape) {
    Node& client = newNode("client").role(kRoleClient);
    frame(client);
    const std::wstring spoof = L"http://spoof.example/";
    Node& spoofCombo = newNode("spoofcombo").role(ROLE_SYSTEM_COMBOBOX).name(spoof).value(spoof);
    spoofCombo.add(newNode("spooftext").role(ROLE_SYSTEM_TEXT).name(spoof).value(spoof));
    Node& page = newNode("document").role(kRoleDocument).name(L"A page");
    page.add(spoofCombo);

    const std::wstring name = shape.name.empty() ? L"Search or enter address" : shape.name;
    Node& urlCombo = newNode("urlbar").role(ROLE_SYSTEM_COMBOBOX).name(name);
    urlCombo.addById(newNode("urltext").role(ROLE_SYSTEM_TEXT).name(name).value(shape.address));
    Node& toolbar = newNode("toolbar").role(kRoleToolbar).name(L"Navigation");
    toolbar.addById(newNode("back").role(kRolePushButton).name(L"Back")).add(urlCombo);
    Node& menuBar = newNode("menubar").role(kRoleMenuBar).name(L"Menu");
    menuBar.addSimple();
    client.add(page).add(menuBar).add(toolbar);
}

void buildChromiumTree(const Shape& shape) {
    Node& client = newNode("client").role(kRoleClient).name(L"Lookout test browser");
    frame(client);
    Node& decoy = newNode("decoy").role(ROLE_SYSTEM_TEXT).name(L"Search the page")
                      .shortcut(L"Ctrl+L").value(L"decoy.example/from-the-page");
    Node& page = newNode("document").role(kRoleDocument).name(L"A page");
    page.add(decoy);
    Node& tabs = newNode("tabs").role(kRolePageTabList).name(L"Tabs");
    tabs.add(newNode("tab").role(kRolePageTab).name(L"New Tab"));

    Node& address = newNode("address").role(ROLE_SYSTEM_TEXT)
                        .name(shape.name.empty() ? L"Address and search bar" : shape.name)
                        .value(shape.address);
    if (shape.withShortcut) address.shortcut(shape.shortcut);
    Node& location = newNode("location").role(kRoleGrouping);
    location.add(address);
    Node& toolbar = newNode("toolbar").role(kRoleToolbar);
    for (const wchar_t* button : {L"Back", L"Forward", L"Reload"})
        toolbar.add(newNode("button").role(kRolePushButton).name(button));
    toolbar.add(location).add(newNode("extensions").role(kRolePushButton).name(L"Extensions"));
    client.add(page).add(tabs).add(toolbar);
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
    if (shape.tree == "chromium")
        buildChromiumTree(shape);
    else if (shape.tree == "firefox-today")
        buildFirefoxTodayTree(shape);
    else
        buildFirefoxTree(shape.withAddress, shape.address, shape.textValue);

    window_commands::Options options;
    options.windowProc = windowProc;
    options.extra = countCalls;
    options.quitting = stallRelease;
    return window_commands::run(options);
}
