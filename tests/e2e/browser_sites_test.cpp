// Browser windows of other processes, built from the class names, texts and tree shapes that
// Lookout looks for: the site records the parent receives.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;
using e2e::siteRecord;

constexpr char kDescription[] = "Lookout Test Window";  // of testwin_ver.exe
constexpr char kAddressToolbar[] = "Address Combo Control";

BOOL CALLBACK collectChild(HWND child, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(child);
    return TRUE;
}

// A copy of a test program under a browser's executable name, in `folder`.
std::string copyAs(const std::string& folder, const std::string& fileName,
                   const std::string& program = "msaa_server.exe") {
    const std::string path = folder + "\\" + fileName;
    e2e::copyFileOrThrow(e2e::binPath(program), path);
    return path;
}

std::size_t callsMade(e2e::TestWindows& browser) {
    return std::stoul(browser.command("calls").substr(std::strlen("calls ")));
}

std::vector<HWND> enumerationOrder(HWND window) {
    std::vector<HWND> windows;
    EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// An Internet Explorer-like frame: a links toolbar (with an edit of its own) that must be
// passed over, then the address band with its toolbar and the edit inside a combo box.
HWND createIeFrame(e2e::TestWindows& windows, const std::string& title, const std::string& url) {
    HWND frame = windows.create("IEFrame", title);
    HWND rebar = windows.createChild(frame, "ReBarWindow32", "");
    windows.createChild(rebar, "ToolbarWindow32", "Links");
    windows.createChild(rebar, "Edit", "http://links.example/");
    HWND band = windows.createChild(frame, "LookoutAddressBand", "Address Band Root");
    windows.createChild(band, "ToolbarWindow32", kAddressToolbar);
    HWND combo = windows.createChild(band, "ComboBoxEx32", "");
    windows.createChild(combo, "Edit", url);
    return frame;
}

TEST(InternetExplorerSites, TheEditBesideTheAddressToolbarGivesTheAddress) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND ie = createIeFrame(windows, "Example $ Page - Internet Explorer",
                            "http://example.com/?price=$5");
    windows.show(ie);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    EXPECT_EQ(lookout.output(), siteRecord("http://example.com/?price=S5",
                                           "Example S Page - Internet Explorer",
                                           windows.exePath()));
}

TEST(InternetExplorerSites, MissingPartsGiveAnEmptyAddressAndLongAddressesAreCut) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND noToolbar = windows.create("IEFrame", "No toolbar");
    HWND links = windows.createChild(noToolbar, "ToolbarWindow32", "Links");
    windows.createChild(links, "Edit", "http://links.example/");
    HWND noEdit = windows.create("IEFrame", "No edit");
    windows.createChild(noEdit, "ToolbarWindow32", kAddressToolbar);
    windows.createChild(noEdit, "LookoutStatic", "http://not-an-edit.example/");
    std::string longUrl = "http://long.example/" + std::string(1500, 'q');
    longUrl[1022] = 'z';
    HWND longAddress = windows.create("IEFrame", "Long address");
    windows.createChild(longAddress, "ToolbarWindow32", kAddressToolbar);
    windows.createChild(longAddress, "Edit", longUrl);

    windows.show(noToolbar);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.show(noEdit);
    ASSERT_TRUE(lookout.waitForRecords(2));
    windows.show(longAddress);
    ASSERT_TRUE(lookout.waitForRecords(3));
    EXPECT_EQ(lookout.output(), siteRecord("", "No toolbar", windows.exePath()) +
                                    siteRecord("", "No edit", windows.exePath()) +
                                    siteRecord(longUrl.substr(0, 1023), "Long address",
                                               windows.exePath()));
}

TEST(ChromiumSites, AnOmniboxOfEitherKindGivesTheAddressAndAFrameWithoutOneIsAnApplication) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND chrome = windows.create("Chrome_WidgetWin_1", "Example - Chrome");
    HWND view = windows.createChild(chrome, "LookoutBrowserView", "");
    windows.createChild(view, "Chrome_RenderWidgetHostHWND", "Chrome Legacy Window");
    windows.createChild(view, "Chrome_OmniboxView", "https://chrome.example/$");
    HWND yandex = windows.create("Chrome_WidgetWin_1", "Example - Yandex");
    windows.createChild(yandex, "YandexBrowser_OmniboxView", "yandex.example");
    HWND two = windows.create("Chrome_WidgetWin_1", "Two omniboxes");
    HWND first = windows.createChild(two, "YandexBrowser_OmniboxView", "first.example");
    windows.createChild(two, "Chrome_OmniboxView", "second.example");
    ASSERT_EQ(enumerationOrder(two).front(), first);
    HWND electron = windows.create("Chrome_WidgetWin_1", "An Electron application");
    windows.createChild(electron, "Chrome_RenderWidgetHostHWND", "Chrome Legacy Window");

    windows.show(chrome);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.show(yandex);
    ASSERT_TRUE(lookout.waitForRecords(2));
    windows.show(two);
    ASSERT_TRUE(lookout.waitForRecords(3));
    windows.show(electron);
    ASSERT_TRUE(lookout.waitForRecords(4));
    EXPECT_EQ(lookout.output(),
              siteRecord("https://chrome.example/S", "Example - Chrome", windows.exePath()) +
                  siteRecord("yandex.example", "Example - Yandex", windows.exePath()) +
                  siteRecord("first.example", "Two omniboxes", windows.exePath()) +
                  appRecord(windows.exePath(), kDescription, "An Electron application"));
}

// Today's Chromium-family browsers have no omnibox window: the address field is found in the
// frame's accessibility tree (a document with a decoy field "Ctrl+L" comes first), known by its
// shortcut in any language or, without one, as the toolbar's text element. The same frame from
// another executable (Electron) is an application, and so is a browser whose tree holds no
// address field. A second report of a window reads the field found at the first.
TEST(ChromiumTodaySites, TheAddressFieldOfTheFramesTreeIsReportedAsShown) {
    const std::string folder = e2e::freshTempDir("chromium");
    const std::vector<std::string> tree = {"/tree", "chromium"};
    auto with = [&tree](std::vector<std::string> args) {
        args.insert(args.begin(), tree.begin(), tree.end());
        return args;
    };
    e2e::TestWindows chrome(copyAs(folder, "chrome.exe"),
                            with({"/address", "\"example.org/a?b=$1\""}));
    e2e::TestWindows edge(copyAs(folder, "msedge.exe"),
                          with({"/address", "beispiel.de", "/name", "\"Adress- und Suchleiste\"",
                                "/shortcut", "Strg+L"}));
    e2e::TestWindows brave(copyAs(folder, "brave.exe"), with({"/noshortcut", "/address", "\"\""}));
    e2e::TestWindows code(copyAs(folder, "Code.exe"), with({"/address", "example.org"}));
    e2e::TestWindows vivaldi(copyAs(folder, "vivaldi.exe", "testwin_plain.exe"));
    const char* frameClass = "Chrome_WidgetWin_1";
    HWND chromeWindow = chrome.create(frameClass, "Example $ - Google Chrome");
    const std::vector<std::pair<e2e::TestWindows*, HWND>> windows = {
        {&chrome, chromeWindow},
        {&edge, edge.create(frameClass, "Beispiel - Microsoft Edge")},
        {&brave, brave.create(frameClass, "New Tab - Brave")},
        {&code, code.create(frameClass, "main.cpp - Visual Studio Code")},
        {&vivaldi, vivaldi.create(frameClass, "Vivaldi without a tree")},
    };
    e2e::Lookout lookout;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        windows[i].first->show(windows[i].second);
        ASSERT_TRUE(lookout.waitForRecords(i + 1)) << i;
    }
    const std::size_t callsBefore = callsMade(chrome);
    chrome.show(chromeWindow);
    ASSERT_TRUE(lookout.waitForRecords(windows.size() + 1));

    const std::string chromeRecord =
        siteRecord("example.org/a?b=S1", "Example S - Google Chrome", chrome.exePath());
    EXPECT_EQ(lookout.output(),
              chromeRecord +
                  siteRecord("beispiel.de", "Beispiel - Microsoft Edge", edge.exePath()) +
                  siteRecord("", "New Tab - Brave", brave.exePath()) +
                  appRecord(code.exePath(), "-", "main.cpp - Visual Studio Code") +
                  appRecord(vivaldi.exePath(), "-", "Vivaldi without a tree") + chromeRecord);
    EXPECT_LE(callsMade(chrome) - callsBefore, 6u) << "the repeat walked the tree again";
}

// Class names compare case-sensitively. Within one process a class name in another case is the
// same class, so these windows come from a process that registers only these spellings.
TEST(BrowserClassNames, NearMissesAreOrdinaryApplications) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND lowerIe = windows.create("ieframe", "Lower-case frame");
    windows.createChild(lowerIe, "ToolbarWindow32", kAddressToolbar);
    windows.createChild(lowerIe, "Edit", "http://lower.example/");
    HWND longerIe = windows.create("IEFrame2", "Longer frame class");
    HWND lowerOmnibox = windows.create("Chrome_WidgetWin_1", "Lower-case omnibox");
    windows.createChild(lowerOmnibox, "chrome_omniboxview", "lower.example");

    windows.show(lowerIe);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.show(longerIe);
    ASSERT_TRUE(lookout.waitForRecords(2));
    windows.show(lowerOmnibox);
    ASSERT_TRUE(lookout.waitForRecords(3));
    EXPECT_EQ(lookout.output(),
              appRecord(windows.exePath(), kDescription, "Lower-case frame") +
                  appRecord(windows.exePath(), kDescription, "Longer frame class") +
                  appRecord(windows.exePath(), kDescription, "Lower-case omnibox"));
}

TEST(BrowserTitleCheck, ANewTitleIsReportedAsASiteWithTheAddressReadAgain) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND chrome = windows.create("Chrome_WidgetWin_1", "First page - Chrome");
    HWND omnibox = windows.createChild(chrome, "Chrome_OmniboxView", "first.example/");
    windows.show(chrome);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.retitle(omnibox, "second.example/");
    windows.retitle(chrome, "Second page - Chrome");
    ASSERT_TRUE(lookout.waitForRecords(2, 5000));
    EXPECT_EQ(lookout.output(),
              siteRecord("first.example/", "First page - Chrome", windows.exePath()) +
                  siteRecord("second.example/", "Second page - Chrome", windows.exePath()));
}

// A browser whose thread stops pumping while Lookout reads its address: the read gives up
// well within the hang, with an empty address rather than the previous window's, and the next
// switch is reported while the browser still hangs.
TEST(HungBrowser, TheAddressReadGivesUpAndTheNextSwitchIsReported) {
    constexpr DWORD kHangMs = 4000;
    e2e::TestWindows others("testwin_ver.exe");
    e2e::TestWindows hung("testwin_plain.exe");
    HWND before = createIeFrame(others, "Before", "http://before.example/");
    HWND after = others.create("LookoutAfterHang", "After");
    HWND stuck = createIeFrame(hung, "Stuck", "http://stuck.example/");

    others.show(before);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    ULONGLONG hangStart = GetTickCount64();
    hung.showThenHang(stuck, kHangMs);
    ASSERT_TRUE(lookout.waitForRecords(2, kHangMs));
    others.show(after);
    ASSERT_TRUE(lookout.waitForRecords(3, kHangMs));
    ULONGLONG reported = GetTickCount64() - hangStart;

    EXPECT_LT(reported, kHangMs - 1500) << "Lookout waited for the hung window";
    EXPECT_EQ(lookout.output(), siteRecord("http://before.example/", "Before", others.exePath()) +
                                    siteRecord("", "Stuck", hung.exePath()) +
                                    appRecord(others.exePath(), kDescription, "After"));
}

}  // namespace
