#include <gtest/gtest.h>

#include <string>

#include "browser/classify.h"
#include "unit/browser_tree.h"

namespace {

BrowserType typeOfFrame(const std::string& frameClass) {
    unit::BrowserTree tree(frameClass, "t");
    EXPECT_NE(tree.frame(), nullptr) << frameClass;
    return getBrowserType(tree.frame());
}

TEST(BrowserClassification, FrameClassesMatchWholeAndExactly) {
    EXPECT_EQ(typeOfFrame("MozillaUIWindowClass"), 1);
    EXPECT_EQ(typeOfFrame("MozillaWindowClass"), 1);
    EXPECT_EQ(typeOfFrame("IEFrame"), 2);
    EXPECT_EQ(typeOfFrame("OperaWindowClass"), 3);
    // Class names differing only in case are one class within a process; the end-to-end tests
    // cover those with classes of another process.
    for (const char* nearMiss : {"IEFrameX", "IEFram", "XIEFrame", "MozillaWindowClas",
                                 "MozillaWindowClass2", "OperaWindowClass1"})
        EXPECT_EQ(typeOfFrame(nearMiss), 0) << nearMiss;

    HWND gone = nullptr;  // a window that has gone has no class name
    {
        unit::BrowserTree tree("IEFrame", "t");
        gone = tree.frame();
    }
    EXPECT_FALSE(isBrowserWindow(gone));
}

TEST(BrowserClassification, AChromiumFrameIsABrowserOnlyWithAnOmniboxInItsTree) {
    unit::BrowserTree application("Chrome_WidgetWin_1", "An Electron application");
    application.add(application.frame(), "Chrome_RenderWidgetHostHWND");
    EXPECT_FALSE(isBrowserWindow(application.frame()));

    unit::BrowserTree chrome("Chrome_WidgetWin_1", "Chrome");
    HWND toolbar = chrome.add(chrome.frame(), "LookoutToolbarView");
    chrome.add(toolbar, "Chrome_OmniboxView", "example.com");  // two levels down
    EXPECT_EQ(getBrowserType(chrome.frame()), 4);

    unit::BrowserTree yandex("Chrome_WidgetWin_0", "Yandex");
    yandex.add(yandex.frame(), "YandexBrowser_OmniboxView");
    EXPECT_EQ(getBrowserType(yandex.frame()), 6);

    // With both kinds, the first one enumerated decides.
    unit::BrowserTree both("Chrome_WidgetWin_1", "t");
    HWND first = both.add(both.frame(), "YandexBrowser_OmniboxView");
    both.add(both.frame(), "Chrome_OmniboxView");
    ASSERT_EQ(unit::enumerationOrder(both.frame()).front(), first);
    EXPECT_EQ(getBrowserType(both.frame()), 6);

    // Only Chromium frames are searched, and the omnibox class must match whole.
    unit::BrowserTree longerClass("Chrome_WidgetWin_1", "t");
    longerClass.add(longerClass.frame(), "Chrome_OmniboxView2");
    EXPECT_EQ(getBrowserType(longerClass.frame()), 0);
    unit::BrowserTree otherFrame("Chrome_WidgetWin", "t");
    otherFrame.add(otherFrame.frame(), "Chrome_OmniboxView");
    EXPECT_EQ(getBrowserType(otherFrame.frame()), 0);
}

// A Chromium frame without an omnibox window is a browser of today by its executable; Electron
// applications share the frame class. An omnibox window still decides first.
TEST(BrowserClassification, AChromiumFrameWithoutOmniboxIsABrowserByItsExecutable) {
    unit::BrowserTree frame("Chrome_WidgetWin_1", "t");
    for (const char* path : {"C:\\Google\\Chrome\\Application\\chrome.exe", "MSEDGE.EXE",
                             "C:/Brave/Brave.exe", "opera.exe", "chromium.exe",
                             "C:\\Yandex\\browser.exe"})
        EXPECT_EQ(getBrowserType(frame.frame(), path), 8) << path;
    for (const char* path : {"C:\\VS Code\\Code.exe", "vivaldi.exe", "chrome.exe.bak",
                             "xchrome.exe", "C:\\chrome.exe\\app.exe", "", "Desktop"})
        EXPECT_EQ(getBrowserType(frame.frame(), path), 0) << path;
    unit::BrowserTree withOmnibox("Chrome_WidgetWin_1", "t");
    withOmnibox.add(withOmnibox.frame(), "YandexBrowser_OmniboxView");
    EXPECT_EQ(getBrowserType(withOmnibox.frame(), "chrome.exe"), 6);
    unit::BrowserTree other("LookoutOtherFrame", "t");
    EXPECT_FALSE(isBrowserWindow(other.frame(), "chrome.exe"));
}

TEST(BrowserTypeString, NamesTheAssignedCodesAndNothingElse) {
    EXPECT_EQ(getBrowserTypeString(1), "FireFox");
    EXPECT_EQ(getBrowserTypeString(2), "IExplore");
    EXPECT_EQ(getBrowserTypeString(3), "Opera");
    EXPECT_EQ(getBrowserTypeString(4), "Chrome");
    EXPECT_EQ(getBrowserTypeString(6), "Yandex");
    EXPECT_EQ(getBrowserTypeString(8), "Chromium");
    for (BrowserType unassigned : {0, 5, 7, -1})
        EXPECT_EQ(getBrowserTypeString(unassigned), "Unknown") << unassigned;
}

}  // namespace
