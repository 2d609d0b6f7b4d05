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

TEST(BrowserClassification, OnlyTheExactClassNamesOfFirefoxAndInternetExplorerMatch) {
    EXPECT_EQ(typeOfFrame("MozillaUIWindowClass"), 1);
    EXPECT_EQ(typeOfFrame("MozillaWindowClass"), 1);
    EXPECT_EQ(typeOfFrame("IEFrame"), 2);
    // Class names differing only in case are one class within a process; the e2e tests cover
    // them with classes of another process.
    for (const char* nearMiss : {"IEFrameX", "IEFram", "XIEFrame", "MozillaWindowClas",
                             "MozillaWindowClass2", "MozillaUIWindowClas"})
        EXPECT_EQ(typeOfFrame(nearMiss), 0) << nearMiss;
}

TEST(BrowserClassification, AWindowWithoutAClassNameIsNotABrowser) {
    HWND gone = nullptr;
    {
        unit::BrowserTree tree("IEFrame", "t");
        gone = tree.frame();
    }
    EXPECT_EQ(getBrowserType(gone), 0);
    EXPECT_FALSE(isBrowserWindow(gone));
}

TEST(BrowserClassification, OperaIsRecognisedByItsExactFrameClass) {
    EXPECT_EQ(typeOfFrame("OperaWindowClass"), 3);
    EXPECT_EQ(typeOfFrame("OperaWindowClass1"), 0);
}

TEST(BrowserClassification, AChromiumFrameIsABrowserOnlyWithAnOmniboxInItsTree) {
    unit::BrowserTree application("Chrome_WidgetWin_1", "An Electron application");
    application.add(application.frame(), "Chrome_RenderWidgetHostHWND");
    EXPECT_EQ(getBrowserType(application.frame()), 0);
    EXPECT_FALSE(isBrowserWindow(application.frame()));

    unit::BrowserTree chrome("Chrome_WidgetWin_1", "Chrome");
    HWND toolbar = chrome.add(chrome.frame(), "LookoutToolbarView");
    chrome.add(toolbar, "Chrome_OmniboxView", "example.com");  // two levels down
    EXPECT_EQ(getBrowserType(chrome.frame()), 4);
    EXPECT_TRUE(isBrowserWindow(chrome.frame()));

    unit::BrowserTree yandex("Chrome_WidgetWin_0", "Yandex");
    yandex.add(yandex.frame(), "YandexBrowser_OmniboxView");
    EXPECT_EQ(getBrowserType(yandex.frame()), 6);

    // Only Chromium frames are searched, and the omnibox class must match whole.
    unit::BrowserTree longerClass("Chrome_WidgetWin_1", "t");
    longerClass.add(longerClass.frame(), "Chrome_OmniboxView2");
    EXPECT_EQ(getBrowserType(longerClass.frame()), 0);
    unit::BrowserTree otherFrame("LookoutChromeLike", "t");
    otherFrame.add(otherFrame.frame(), "Chrome_OmniboxView");
    EXPECT_EQ(getBrowserType(otherFrame.frame()), 0);
    unit::BrowserTree noUnderscore("Chrome_WidgetWin", "t");
    noUnderscore.add(noUnderscore.frame(), "Chrome_OmniboxView");
    EXPECT_EQ(getBrowserType(noUnderscore.frame()), 0);
}

TEST(BrowserClassification, TheFirstOmniboxEnumeratedDecidesBetweenChromeAndYandex) {
    unit::BrowserTree yandexFirst("Chrome_WidgetWin_1", "t");
    HWND yandexBox = yandexFirst.add(yandexFirst.frame(), "YandexBrowser_OmniboxView");
    yandexFirst.add(yandexFirst.frame(), "Chrome_OmniboxView");
    ASSERT_EQ(unit::enumerationOrder(yandexFirst.frame()).front(), yandexBox);
    EXPECT_EQ(getBrowserType(yandexFirst.frame()), 6);

    unit::BrowserTree chromeFirst("Chrome_WidgetWin_1", "t");
    chromeFirst.add(chromeFirst.frame(), "Chrome_OmniboxView");
    chromeFirst.add(chromeFirst.frame(), "YandexBrowser_OmniboxView");
    EXPECT_EQ(getBrowserType(chromeFirst.frame()), 4);
}

TEST(BrowserTypeString, NamesTheAssignedCodesAndNothingElse) {
    EXPECT_EQ(getBrowserTypeString(1), "FireFox");
    EXPECT_EQ(getBrowserTypeString(2), "IExplore");
    EXPECT_EQ(getBrowserTypeString(3), "Opera");
    EXPECT_EQ(getBrowserTypeString(4), "Chrome");
    EXPECT_EQ(getBrowserTypeString(6), "Yandex");
    for (BrowserType unassigned : {0, 5, 7, -1, -2147483647 - 1})
        EXPECT_EQ(getBrowserTypeString(unassigned), "Unknown") << unassigned;
}

}  // namespace
