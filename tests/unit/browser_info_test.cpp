#include <gtest/gtest.h>

#include <string>

#include "browser/browser_info.h"
#include "unit/browser_tree.h"

namespace {

// The records as the monitor loop holds them, the site record still full of an earlier window.
class BrowserInfoRoutes : public ::testing::Test {
protected:
    BrowserInfoRoutes() { app.title = "Title from the application record"; }
    // Runs the dispatcher on `window`; the site record comes back, the result in `reported`.
    SiteRecord run(HWND window, bool& reported) {
        SiteRecord site{"http://earlier.example/", "Earlier title"};
        reported = GetBrowserInfo(window, app, site, nullptr);
        return site;
    }
    AppRecord app;
};

TEST_F(BrowserInfoRoutes, EachReaderFillsTheAddressAndTheTitleIsTheApplications) {
    unit::BrowserTree ie("IEFrame", "Window title");
    ie.add(ie.frame(), "ToolbarWindow32", "Address Combo Control");
    ie.add(ie.frame(), "Edit", "http://ie.example/");
    unit::BrowserTree ieWithoutBar("IEFrame", "Window title");
    unit::BrowserTree chrome("Chrome_WidgetWin_1", "Window title");
    chrome.add(chrome.frame(), "Chrome_OmniboxView", "chrome.example/");
    unit::BrowserTree yandex("Chrome_WidgetWin_1", "Window title");
    yandex.add(yandex.frame(), "YandexBrowser_OmniboxView", "yandex.example/");
    // Classified as no browser by the time the dispatcher looks: the omnibox has gone.
    unit::BrowserTree formerBrowser("Chrome_WidgetWin_1", "Window title");

    struct Case {
        HWND window;
        const char* url;
    };
    for (const Case& c : {Case{ie.frame(), "http://ie.example/"}, Case{ieWithoutBar.frame(), ""},
                          Case{chrome.frame(), "chrome.example/"},
                          Case{yandex.frame(), "yandex.example/"},
                          Case{formerBrowser.frame(), "Unknown"}}) {
        bool reported = false;
        SiteRecord site = run(c.window, reported);
        EXPECT_TRUE(reported) << c.url;
        EXPECT_EQ(site.url, c.url);
        EXPECT_EQ(site.title, app.title) << c.url;
    }
}

TEST_F(BrowserInfoRoutes, LogsTheTypeTheRouteAndWhatIsSent) {
    unit::CapturedLog log;
    unit::BrowserTree ie("IEFrame", "Window title");
    ie.add(ie.frame(), "ToolbarWindow32", "Address Combo Control");
    ie.add(ie.frame(), "Edit", "http://ie.example/");
    unit::BrowserTree yandex("Chrome_WidgetWin_1", "Window title");
    yandex.add(yandex.frame(), "YandexBrowser_OmniboxView", "yandex.example/");
    bool reported = false;
    run(ie.frame(), reported);
    run(yandex.frame(), reported);

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
