// Browser windows of other processes, built from the class names, texts and tree shapes that
// Lookout looks for: the site records the parent receives.
#include <gtest/gtest.h>

#include <optional>
#include <set>
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

// A copy of a test program under another executable's name, in `folder`.
std::string copyAs(const std::string& folder, const std::string& fileName,
                   const std::string& program) {
    const std::string path = folder + "\\" + fileName;
    e2e::copyFileOrThrow(e2e::binPath(program), path);
    return path;
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

// The calls of a first read of a tree: at most `limit`, none of those that make a browser serve
// every page's tree (no name either where `namesAsked` is false), and nothing but its role asked
// of the page's document at `document` (its path in the counts).
void expectCheapFirstRead(const e2e::TreeCounts& counts, long limit, bool namesAsked,
                          const std::string& document, const std::string& label) {
    static const std::set<std::string> cheap = {
        "QueryInterface", "Reset", "Next", "Skip", "get_accChildCount", "get_accChild",
        "get_accRole", "get_accValue", "get_accKeyboardShortcut", "get_accState", "accLocation"};
    EXPECT_LE(counts.total, limit) << label;
    for (const auto& [path, methods] : counts.objects) {
        for (const auto& [method, calls] : methods) {
            EXPECT_TRUE(cheap.count(method) > 0 || (namesAsked && method == "get_accName"))
                << label << ": " << method << " on \"" << path << "\"";
        }
        if (path == document) {
            EXPECT_EQ(counts.on(path), counts.on(path, "get_accRole")) << label;
        }
    }
}

// Today's browsers, trees played under their executables' names. Chromium-family frames have no
// omnibox window: the address field is found in the frame's tree (after a page with a decoy
// field "Ctrl+L", a tab strip of 100 tabs, and fields whose shortcuts end in "L" with two
// modifiers or Alt) by its shortcut "Ctrl+L", else another single modifier, else as the
// toolbar's text element. The same frame of another executable (Electron, Vivaldi) is an
// application, as is a browser whose tree holds no address field. Current Firefox, 2024-25 and
// 2026 layouts: the address input, not the page's spoof; an empty input is an application. A
// first read costs only cheap calls, the same with 100 tabs as with one; a window's second
// report reads the element found at the first with a handful of calls.
TEST(TodaysBrowserSites, TheAddressFieldOfTheTreeIsReportedAsShown) {
    const std::string folder = e2e::freshTempDir("today");
    e2e::TreePlayer chrome("chromium.json");
    e2e::TreePlayer edge("chromium_german.json");
    e2e::TreePlayer brave("chromium_no_shortcut.json");
    e2e::TreePlayer code("chromium.json", "Code.exe");
    e2e::TestWindows vivaldi(copyAs(folder, "vivaldi.exe", "testwin_plain.exe"));
    e2e::TreePlayer firefox("firefox_today.json");
    e2e::TreePlayer firefox2026("firefox_2026.json");
    e2e::TreePlayer bare2026("firefox_2026_bare.json");
    e2e::TreePlayer empty2026("firefox_2026_empty.json");
    const char* chromium = "Chrome_WidgetWin_1";
    const char* mozilla = "MozillaWindowClass";
    const struct {
        e2e::TestWindows* process;
        e2e::TreePlayer* player;
        const char* frameClass;
        std::optional<std::string> url;  // none for an application record
        long firstCalls;                 // judged when not 0
        const char* document;
    } browsers[] = {{&chrome, &chrome, chromium, "x.org/?S1", 60, "1"},
                    {&edge, &edge, chromium, "beispiel.de", 0, ""},
                    {&brave, &brave, chromium, "", 0, ""},
                    {&code, &code, chromium, {}, 0, ""},
                    {&vivaldi, nullptr, chromium, {}, 0, ""},
                    {&firefox, &firefox, mozilla, "http://x.org/", 0, ""},
                    {&firefox2026, &firefox2026, mozilla, "example.org/2026", 100, "5/1"},
                    {&bare2026, &bare2026, mozilla, "beispiel.de/ohne", 0, ""},
                    {&empty2026, &empty2026, mozilla, {}, 0, ""}};
    std::vector<HWND> windows;
    std::string expected;
    for (const auto& browser : browsers) {
        windows.push_back(browser.process->create(browser.frameClass, "Title $"));
        const std::string& path = browser.process->exePath();
        expected += browser.url ? siteRecord(*browser.url, "Title S", path)
                                : appRecord(path, "-", "Title S");
    }
    e2e::Lookout lookout;
    for (std::size_t round = 0; round < 2; ++round) {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            e2e::TreePlayer* player = browsers[i].player;
            const long calls = player ? player->calls() : 0;
            browsers[i].process->show(windows[i]);
            ASSERT_TRUE(lookout.waitForRecords(round * windows.size() + i + 1)) << i;
            if (!player) continue;
            if (round == 0 && browsers[i].firstCalls > 0) {
                const bool chromiumTree = browsers[i].frameClass == chromium;
                expectCheapFirstRead(player->counts(), browsers[i].firstCalls, !chromiumTree,
                                     browsers[i].document, std::to_string(i));
            }
            if (round == 1) {
                EXPECT_LE(player->calls() - calls, 6) << "walked again: " << i;
            }
        }
    }
    EXPECT_EQ(lookout.output(), expected + expected);
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
