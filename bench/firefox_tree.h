#pragma once
// The accessibility trees of browser-like windows. A Firefox-like window of 50 objects laid out
// as an older Firefox's are: menu bar, tab strip, bookmarks toolbar, navigation toolbar with the
// address combo box, document; a depth-first walk passes most of the tree before it reaches the
// address. And trees of about 150 objects as today's browsers lay them out, most of them in the
// page: a current Firefox, whose address combo box is named differently from its value, and a
// Chromium-family browser, whose address field is a text element with the shortcut "Ctrl+L".
// Served across processes by firefox_like.exe and walked in-process by the report benchmark.

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "msaa_node.h"

namespace bench {

constexpr int kFirefoxTreeSize = 50;
constexpr int kTodayTreeSize = 150;

struct FirefoxTree {
    msaa_test::Node* window = nullptr;  // what the window answers for OBJID_WINDOW
    msaa_test::Node* client = nullptr;  // and for OBJID_CLIENT
    int objects = 0;                    // simple elements without an object of their own included
};

// The nodes are never freed: proxies in other processes may call them at any time. With
// `calls`, every call made on the tree is listed there.
inline FirefoxTree buildFirefoxTree(const std::wstring& address,
                                    std::vector<std::string>* calls = nullptr) {
    constexpr LONG kRoleTitleBar = 0x01, kRoleMenuBar = 0x02, kRoleWindow = 0x09;
    constexpr LONG kRoleClient = 0x0A, kRoleMenuItem = 0x0C, kRoleDocument = 0x0F;
    constexpr LONG kRoleToolbar = 0x16, kRolePageTab = 0x25, kRolePushButton = 0x2B;
    constexpr LONG kRoleParagraph = 0x3D;
    FirefoxTree tree;
    auto node = [&](const char* label, LONG role) -> msaa_test::Node& {
        ++tree.objects;
        return (new msaa_test::Node(label, calls))->role(role);
    };
    auto simple = [&](msaa_test::Node& parent) {
        ++tree.objects;
        parent.addSimple();
    };

    msaa_test::Node& window = node("window", kRoleWindow).name(L"Firefox-like window");
    msaa_test::Node& client = node("client", kRoleClient);
    window.addById(node("titlebar", kRoleTitleBar).name(L"title bar")).add(client);
    simple(window);  // the scroll bar

    msaa_test::Node& menuBar = node("menubar", kRoleMenuBar).name(L"Menu");
    for (const wchar_t* item : {L"File", L"Edit", L"View", L"History", L"Bookmarks", L"Help"})
        menuBar.add(node("menu", kRoleMenuItem).name(item));
    msaa_test::Node& tabs = node("tabs", kRoleToolbar).name(L"Tabs");
    for (int tab = 1; tab <= 8; ++tab)
        tabs.add(node("tab", kRolePageTab).name(L"Tab " + std::to_wstring(tab)));
    msaa_test::Node& bookmarks = node("bookmarks", kRoleToolbar).name(L"Bookmarks Toolbar");
    for (int mark = 1; mark <= 14; ++mark)
        bookmarks.addById(
            node("bookmark", kRolePushButton).name(L"Bookmark " + std::to_wstring(mark)));

    msaa_test::Node& navigation = node("navigation", kRoleToolbar).name(L"Navigation");
    for (const wchar_t* button : {L"Back", L"Forward", L"Reload", L"Home"})
        navigation.addById(node("button", kRolePushButton).name(button));
    msaa_test::Node& urlCombo = node("urlbar", ROLE_SYSTEM_COMBOBOX).name(address).value(address);
    simple(urlCombo);  // the drop-down button
    urlCombo.addById(node("urltext", ROLE_SYSTEM_TEXT).name(address).value(address));
    navigation.add(urlCombo);
    msaa_test::Node& search = node("search", ROLE_SYSTEM_COMBOBOX).name(L"Search").value(L"");
    search.add(node("searchtext", ROLE_SYSTEM_TEXT).name(L"Search").value(L""));
    navigation.add(search);

    msaa_test::Node& document = node("document", kRoleDocument).name(L"Page");
    for (int paragraph = 1; paragraph <= 4; ++paragraph)
        document.add(node("paragraph", kRoleParagraph).name(L"Paragraph"));
    client.add(menuBar).add(tabs).add(bookmarks).add(navigation).add(document);
    tree.window = &window;
    tree.client = &client;
    return tree;
}

// Makes the nodes of one tree and counts them.
class TreeBuilder {
public:
    explicit TreeBuilder(std::vector<std::string>* calls) : calls_(calls) {}
    msaa_test::Node& node(const char* label, LONG role) {
        ++objects_;
        return (new msaa_test::Node(label, calls_))->role(role);
    }
    void simple(msaa_test::Node& parent) {
        ++objects_;
        parent.addSimple();
    }
    // A page that brings the tree to `count` objects in all: paragraphs with a link each, and a
    // search field of the page's own that claims the address field's shortcut.
    msaa_test::Node& page(int count) {
        constexpr LONG kRoleDocument = 0x0F, kRoleParagraph = 0x3D, kRoleLink = 0x1E;
        msaa_test::Node& document = node("document", kRoleDocument).name(L"Page");
        document.add(node("pagesearch", ROLE_SYSTEM_TEXT).name(L"Search").shortcut(L"Ctrl+L"));
        while (objects_ < count) {
            msaa_test::Node& paragraph = node("paragraph", kRoleParagraph);
            if (objects_ < count) paragraph.add(node("link", kRoleLink).name(L"Link"));
            document.add(paragraph);
        }
        return document;
    }
    int objects() const { return objects_; }

private:
    std::vector<std::string>* calls_;
    int objects_ = 0;
};

// A current Firefox: window object, menu bar, tab strip, navigation toolbar with the address
// combo box (named "Search or enter address", no value) and its text element, bookmarks
// toolbar, and a page that makes up the rest of kTodayTreeSize objects.
inline FirefoxTree buildFirefoxTodayTree(const std::wstring& address,
                                         std::vector<std::string>* calls = nullptr) {
    constexpr LONG kRoleTitleBar = 0x01, kRoleMenuBar = 0x02, kRoleWindow = 0x09;
    constexpr LONG kRoleClient = 0x0A, kRoleMenuItem = 0x0C, kRoleToolbar = 0x16;
    constexpr LONG kRolePageTab = 0x25, kRolePushButton = 0x2B, kRolePageTabList = 0x3C;
    TreeBuilder build(calls);
    msaa_test::Node& window = build.node("window", kRoleWindow).name(L"Firefox-like window");
    msaa_test::Node& client = build.node("client", kRoleClient);
    window.addById(build.node("titlebar", kRoleTitleBar).name(L"title bar")).add(client);
    build.simple(window);  // the scroll bar

    msaa_test::Node& menuBar = build.node("menubar", kRoleMenuBar).name(L"Menu");
    for (const wchar_t* item : {L"File", L"Edit", L"View", L"History", L"Bookmarks", L"Help"})
        menuBar.add(build.node("menu", kRoleMenuItem).name(item));
    msaa_test::Node& tabs = build.node("tabs", kRolePageTabList).name(L"Tabs");
    for (int tab = 1; tab <= 10; ++tab) {
        msaa_test::Node& pageTab = build.node("tab", kRolePageTab).name(L"Tab " + std::to_wstring(tab));
        pageTab.add(build.node("close", kRolePushButton).name(L"Close Tab"));
        tabs.add(pageTab);
    }
    msaa_test::Node& navigation = build.node("navigation", kRoleToolbar).name(L"Navigation");
    for (const wchar_t* button : {L"Back", L"Forward", L"Reload", L"Home"})
        navigation.addById(build.node("button", kRolePushButton).name(button));
    const wchar_t* urlName = L"Search or enter address";
    msaa_test::Node& urlCombo = build.node("urlbar", ROLE_SYSTEM_COMBOBOX).name(urlName);
    build.simple(urlCombo);  // the drop-down button
    urlCombo.addById(build.node("urltext", ROLE_SYSTEM_TEXT).name(urlName).value(address));
    navigation.add(urlCombo);
    for (const wchar_t* button : {L"Downloads", L"Extensions", L"Open menu"})
        navigation.addById(build.node("button", kRolePushButton).name(button));
    msaa_test::Node& bookmarks = build.node("bookmarks", kRoleToolbar).name(L"Bookmarks Toolbar");
    for (int mark = 1; mark <= 14; ++mark)
        bookmarks.addById(
            build.node("bookmark", kRolePushButton).name(L"Bookmark " + std::to_wstring(mark)));
    client.add(menuBar).add(tabs).add(navigation).add(bookmarks).add(build.page(kTodayTreeSize));

    FirefoxTree tree;
    tree.window = &window;
    tree.client = &client;
    tree.objects = build.objects();
    return tree;
}

// A Chromium-family browser, as its frame serves its client area: tab strip, toolbar with the
// address field (a text element named "Address and search bar", shortcut "Ctrl+L") among its
// buttons, bookmarks bar, and a page that makes up the rest of kTodayTreeSize objects.
inline FirefoxTree buildChromiumTodayTree(const std::wstring& address,
                                          std::vector<std::string>* calls = nullptr) {
    constexpr LONG kRoleWindow = 0x09, kRoleClient = 0x0A, kRoleGrouping = 0x14;
    constexpr LONG kRoleToolbar = 0x16, kRolePageTab = 0x25, kRolePushButton = 0x2B;
    constexpr LONG kRolePageTabList = 0x3C;
    TreeBuilder build(calls);
    msaa_test::Node& window = build.node("window", kRoleWindow).name(L"Chromium-like window");
    msaa_test::Node& client = build.node("client", kRoleClient).name(L"Chromium-like window");
    window.add(client);

    msaa_test::Node& tabs = build.node("tabs", kRolePageTabList).name(L"Tabs");
    for (int tab = 1; tab <= 10; ++tab) {
        msaa_test::Node& pageTab = build.node("tab", kRolePageTab).name(L"Tab " + std::to_wstring(tab));
        pageTab.add(build.node("close", kRolePushButton).name(L"Close"));
        tabs.add(pageTab);
    }
    tabs.add(build.node("newtab", kRolePushButton).name(L"New Tab"));
    msaa_test::Node& toolbar = build.node("toolbar", kRoleToolbar);
    for (const wchar_t* button : {L"Back", L"Forward", L"Reload", L"Home"})
        toolbar.add(build.node("button", kRolePushButton).name(button));
    msaa_test::Node& location = build.node("location", kRoleGrouping);
    location.add(build.node("siteinfo", kRolePushButton).name(L"View site information"))
        .add(build.node("address", ROLE_SYSTEM_TEXT)
                 .name(L"Address and search bar")
                 .shortcut(L"Ctrl+L")
                 .value(address))
        .add(build.node("star", kRolePushButton).name(L"Bookmark this tab"));
    toolbar.add(location);
    for (const wchar_t* button : {L"Extensions", L"Profile", L"Chrome"})
        toolbar.add(build.node("button", kRolePushButton).name(button));
    msaa_test::Node& bookmarks = build.node("bookmarks", kRoleToolbar).name(L"Bookmarks");
    for (int mark = 1; mark <= 14; ++mark)
        bookmarks.add(
            build.node("bookmark", kRolePushButton).name(L"Bookmark " + std::to_wstring(mark)));
    client.add(tabs).add(toolbar).add(bookmarks).add(build.page(kTodayTreeSize));

    FirefoxTree tree;
    tree.window = &window;
    tree.client = &client;
    tree.objects = build.objects();
    return tree;
}

// Browsers with many tabs: the trees as the browsers' sources lay them out, with `tabs` tabs in
// the tab strip (each with its close button) and `bookmarks` buttons on the bookmarks bar, and a
// page of 80 objects. The first report of such a window must cost the same whatever the tabs.
constexpr int kManyTabs = 100;
constexpr int kManyBookmarks = 40;

inline void addTabStrip(TreeBuilder& build, msaa_test::Node& parent, int tabs) {
    constexpr LONG kRolePageTab = 0x25, kRolePushButton = 0x2B, kRolePageTabList = 0x3C;
    msaa_test::Node& strip = build.node("tabs", kRolePageTabList).name(L"Tabs");
    for (int tab = 1; tab <= tabs; ++tab) {
        msaa_test::Node& pageTab =
            build.node("tab", kRolePageTab).name(L"Tab " + std::to_wstring(tab));
        pageTab.add(build.node("close", kRolePushButton).name(L"Close"));
        strip.add(pageTab);
    }
    parent.add(strip);
}

inline msaa_test::Node& bookmarksBar(TreeBuilder& build, const wchar_t* name, int bookmarks) {
    constexpr LONG kRoleToolbar = 0x16, kRolePushButton = 0x2B;
    msaa_test::Node& bar = build.node("bookmarks", kRoleToolbar).name(name);
    for (int mark = 1; mark <= bookmarks; ++mark)
        bar.add(build.node("bookmark", kRolePushButton).name(L"Bookmark " + std::to_wstring(mark)));
    return bar;
}

// A Chromium-family browser of the versions whose tab strip comes first: tab strip, toolbar with
// the location bar group holding the address field ("Ctrl+L"), bookmarks bar, and the page in a
// web view.
inline FirefoxTree buildChromiumTabsTree(const std::wstring& address, int tabs, int bookmarks,
                                         std::vector<std::string>* calls = nullptr) {
    constexpr LONG kRoleWindow = 0x09, kRoleClient = 0x0A, kRoleGrouping = 0x14;
    constexpr LONG kRoleToolbar = 0x16, kRolePushButton = 0x2B;
    TreeBuilder build(calls);
    msaa_test::Node& window = build.node("window", kRoleWindow).name(L"Chromium-like window");
    msaa_test::Node& client = build.node("client", kRoleClient).name(L"Chromium-like window");
    window.add(client);
    addTabStrip(build, client, tabs);
    msaa_test::Node& toolbar = build.node("toolbar", kRoleToolbar);
    for (const wchar_t* button : {L"Back", L"Forward", L"Reload", L"Home"})
        toolbar.add(build.node("button", kRolePushButton).name(button));
    msaa_test::Node& location = build.node("location", kRoleGrouping);
    location.add(build.node("siteinfo", kRolePushButton).name(L"View site information"))
        .add(build.node("address", ROLE_SYSTEM_TEXT)
                 .name(L"Address and search bar")
                 .shortcut(L"Ctrl+L")
                 .value(address))
        .add(build.node("star", kRolePushButton).name(L"Bookmark this tab"));
    toolbar.add(location);
    for (const wchar_t* button : {L"Extensions", L"Profile", L"Chrome"})
        toolbar.add(build.node("button", kRolePushButton).name(button));
    client.add(toolbar).add(bookmarksBar(build, L"Bookmarks", bookmarks));
    msaa_test::Node& view = build.node("webview", kRoleClient);
    client.add(view.add(build.page(build.objects() + 80)));

    FirefoxTree tree;
    tree.window = &window;
    tree.client = &client;
    tree.objects = build.objects();
    return tree;
}

// Current Firefox, 2026 layout: window object, menu bar, the tab toolbar holding the tab list,
// the navigation toolbar with the search-mode button (a combo box holding the engine's name) and
// the address input (a combo box whose value is the address, holding a text leaf named by it),
// the bookmarks toolbar, and the page.
inline FirefoxTree buildFirefoxTabsTree(const std::wstring& address, int tabs, int bookmarks,
                                        std::vector<std::string>* calls = nullptr) {
    constexpr LONG kRoleTitleBar = 0x01, kRoleMenuBar = 0x02, kRoleWindow = 0x09;
    constexpr LONG kRoleClient = 0x0A, kRoleMenuItem = 0x0C, kRoleGrouping = 0x14;
    constexpr LONG kRoleToolbar = 0x16, kRolePushButton = 0x2B;
    TreeBuilder build(calls);
    msaa_test::Node& window = build.node("window", kRoleWindow).name(L"Firefox-like window");
    msaa_test::Node& client = build.node("client", kRoleClient);
    window.addById(build.node("titlebar", kRoleTitleBar).name(L"title bar")).add(client);
    build.simple(window);  // the scroll bar

    msaa_test::Node& menuBar = build.node("menubar", kRoleMenuBar).name(L"Menu");
    for (const wchar_t* item : {L"File", L"Edit", L"View", L"History", L"Bookmarks", L"Help"})
        menuBar.add(build.node("menu", kRoleMenuItem).name(item));
    msaa_test::Node& tabBar = build.node("tabbar", kRoleToolbar).name(L"Tabs");
    addTabStrip(build, tabBar, tabs);
    tabBar.add(build.node("button", kRolePushButton).name(L"Open a new tab"))
        .add(build.node("button", kRolePushButton).name(L"List all tabs"));
    msaa_test::Node& navigation = build.node("navigation", kRoleToolbar).name(L"Navigation");
    for (const wchar_t* button : {L"Back", L"Forward", L"Reload"})
        navigation.addById(build.node("button", kRolePushButton).name(button));
    msaa_test::Node& mode = build.node("searchmode", ROLE_SYSTEM_COMBOBOX).name(L"More options");
    mode.value(L"Google").add(build.node("engine", ROLE_SYSTEM_TEXT).name(L"Google"));
    msaa_test::Node& input = build.node("urlbar", ROLE_SYSTEM_COMBOBOX);
    input.name(L"Search with Google or enter address").value(address);
    input.add(build.node("urltext", ROLE_SYSTEM_TEXT).name(address));
    navigation.add(mode).add(input);
    for (const wchar_t* button : {L"Downloads", L"Extensions", L"Open application menu"})
        navigation.addById(build.node("button", kRolePushButton).name(button));
    client.add(menuBar).add(tabBar).add(navigation)
        .add(bookmarksBar(build, L"Bookmarks Toolbar", bookmarks));
    msaa_test::Node& content = build.node("content", kRoleGrouping);
    client.add(content.add(build.page(build.objects() + 80)));

    FirefoxTree tree;
    tree.window = &window;
    tree.client = &client;
    tree.objects = build.objects();
    return tree;
}

}  // namespace bench
