#pragma once
// The accessibility tree of a Firefox-like window, 50 objects laid out as a browser's are: menu
// bar, tab strip, bookmarks toolbar, navigation toolbar with the address combo box, document.
// A depth-first walk passes most of the tree before it reaches the address. Served across
// processes by firefox_like.exe and walked in-process by the report benchmark.

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "msaa_node.h"

namespace bench {

constexpr int kFirefoxTreeSize = 50;

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

}  // namespace bench
