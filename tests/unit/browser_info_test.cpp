#include <gtest/gtest.h>

#include <string>

#include "browser/browser_info.h"
#include "unit/browser_tree.h"

namespace {

// The records as the monitor loop holds them, the site record still full of an earlier window.
class BrowserInfoRoutes : public ::testing::Test {
protected:
    BrowserInfoRoutes() {
        app.modulePath = "C:\\Browser\\browser.exe";
        app.description = "Browser";
        app.title = "Title from the application record";
        site.url = "http://earlier.example/";
        site.title = "Earlier title";
    }
    AppRecord app;
    SiteRecord site;
};

TEST_F(BrowserInfoRoutes, InternetExplorerReadsItsAddressBarWithoutFallback) {
    unit::BrowserTree ie("IEFrame", "Window title");
    ie.add(ie.frame(), "ToolbarWindow32", "Address Combo Control");
    ie.add(ie.frame(), "Edit", "http://ie.example/");
    EXPECT_TRUE(GetBrowserInfo(ie.frame(), app, site, nullptr));
    EXPECT_EQ(site.url, "http://ie.example/");
    EXPECT_EQ(site.title, app.title);

    unit::BrowserTree bare("IEFrame", "Window title");
    EXPECT_TRUE(GetBrowserInfo(bare.frame(), app, site, nullptr))
        << "an address bar that cannot be found is still a site";
    EXPECT_EQ(site.url, "");
    EXPECT_EQ(site.title, app.title);
}

TEST_F(BrowserInfoRoutes, ChromeAndYandexReadTheirOmnibox) {
    unit::BrowserTree chrome("Chrome_WidgetWin_1", "Window title");
    chrome.add(chrome.frame(), "Chrome_OmniboxView", "chrome.example/");
    EXPECT_TRUE(GetBrowserInfo(chrome.frame(), app, site, nullptr));
    EXPECT_EQ(site.url, "chrome.example/");
    EXPECT_EQ(site.title, app.title);

    site.title = "Earlier title";
    unit::BrowserTree yandex("Chrome_WidgetWin_1", "Window title");
    yandex.add(yandex.frame(), "YandexBrowser_OmniboxView", "");
    EXPECT_TRUE(GetBrowserInfo(yandex.frame(), app, site, nullptr));
    EXPECT_EQ(site.url, "");
    EXPECT_EQ(site.title, app.title);
}

TEST_F(BrowserInfoRoutes, AWindowThatIsNoBrowserAnyMoreGivesTheAddressUnknown) {
    unit::BrowserTree plain("LookoutPlainFrame", "Window title");
    EXPECT_TRUE(GetBrowserInfo(plain.frame(), app, site, nullptr));
    EXPECT_EQ(site.url, "Unknown");
    EXPECT_EQ(site.title, app.title);

    unit::BrowserTree electron("Chrome_WidgetWin_1", "Window title");  // omnibox gone
    site.title = "Earlier title";
    EXPECT_TRUE(GetBrowserInfo(electron.frame(), app, site, nullptr));
    EXPECT_EQ(site.url, "Unknown");
    EXPECT_EQ(site.title, app.title);
}

TEST_F(BrowserInfoRoutes, LogsTheTypeTheRouteAndWhatIsSent) {
    unit::CapturedLog log;
    unit::BrowserTree ie("IEFrame", "Window title");
    ie.add(ie.frame(), "ToolbarWindow32", "Address Combo Control");
    ie.add(ie.frame(), "Edit", "http://ie.example/");
    unit::BrowserTree yandex("Chrome_WidgetWin_1", "Window title");
    yandex.add(yandex.frame(), "YandexBrowser_OmniboxView", "yandex.example/");
    ASSERT_TRUE(GetBrowserInfo(ie.frame(), app, site, nullptr));
    ASSERT_TRUE(GetBrowserInfo(yandex.frame(), app, site, nullptr));

    const std::string trace = ">>>> Function: ";
    std::string missing;
    EXPECT_TRUE(unit::containsInOrder(
        log.content(),
        {trace + "GetBrowserInfo\r\n", trace + "getBrowserType\r\n", ": Browser type: 2\r\n",
         ": GetBrowserInfo: IE browser processing: direct URL reading\r\n",
         trace + "getIExprolerUrl\r\n",
         "\r\nUrl info to send: http://ie.example/Title from the application record\r\n",
         trace + "GetBrowserInfo\r\n", ": Browser type: 6\r\n", trace + "getChromeUrl\r\n",
         "\r\nUrl info to send: yandex.example/Title from the application record\r\n"},
        &missing))
        << missing << "\n" << log.content();
}

}  // namespace
