#include <gtest/gtest.h>

#include <string>

#include "browser/chrome_reader.h"
#include "unit/browser_tree.h"

namespace {

TEST(ChromeUrl, ReadsTheFirstOmniboxOnlyCutTo1023Bytes) {
    std::string address(3000, 'z');
    address[1022] = 'y';
    unit::BrowserTree chrome("Chrome_WidgetWin_1", "t");
    HWND view = chrome.add(chrome.frame(), "LookoutBrowserView");
    chrome.add(view, "Chrome_OmniboxView", address);
    chrome.add(chrome.frame(), "YandexBrowser_OmniboxView", "second.example/");
    EXPECT_EQ(getChromeUrl(chrome.frame()), address.substr(0, 1023));

    // An empty omnibox ends the search all the same.
    unit::BrowserTree empty("Chrome_WidgetWin_1", "t");
    empty.add(empty.frame(), "Chrome_OmniboxView", "");
    empty.add(empty.frame(), "Chrome_OmniboxView", "second.example/");
    EXPECT_EQ(getChromeUrl(empty.frame()), "");

    unit::BrowserTree none("Chrome_WidgetWin_1", "t");
    none.add(none.frame(), "Chrome_RenderWidgetHostHWND", "not.an.omnibox/");
    EXPECT_EQ(getChromeUrl(none.frame()), "");
}

TEST(ChromeUrl, LogsEveryDescendantVisitedAndTheOmniboxFound) {
    unit::CapturedLog log;
    unit::BrowserTree chrome("Chrome_WidgetWin_1", "t");
    chrome.add(chrome.frame(), "LookoutToolbarView");
    HWND chromeOmnibox = chrome.add(chrome.frame(), "Chrome_OmniboxView", "a.example/");
    unit::BrowserTree yandex("Chrome_WidgetWin_1", "t");
    HWND yandexOmnibox = yandex.add(yandex.frame(), "YandexBrowser_OmniboxView", "b.example/");
    ASSERT_EQ(getChromeUrl(chrome.frame()), "a.example/");
    ASSERT_EQ(getChromeUrl(yandex.frame()), "b.example/");

    const std::string trace = ">>>> Function: ";
    const std::string visited = ": (Chrome processing log) : Child Window Class Name: ";
    std::string missing;
    EXPECT_TRUE(unit::containsInOrder(
        log.content(),
        {trace + "getChromeUrl\r\n", trace + "passThroughChildChromeWindows\r\n",
         trace + "forEachChildChromeWindow\r\n", visited + "LookoutToolbarView\r\n",
         trace + "forEachChildChromeWindow\r\n", visited + "Chrome_OmniboxView\r\n",
         ": Chrome omnibox child window found: " + unit::pointerText(chromeOmnibox) + "\r\n",
         trace + "processChromeAddressWindow\r\n",
         // The callback ended the search, which the system reports as zero.
         ": Error: EnumChildWindows()\r\n", visited + "YandexBrowser_OmniboxView\r\n",
         ": Yandex omnibox child window found: " + unit::pointerText(yandexOmnibox) + "\r\n"},
        &missing))
        << missing << "\n" << log.content();
}

}  // namespace
