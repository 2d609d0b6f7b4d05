#include "browser/browser_info.h"

#include "browser/chrome_reader.h"
#include "browser/ie_reader.h"
#include "browser/msaa_walker.h"
#include "dde/dde_url.h"
#include "diag/debug_log.h"

bool GetBrowserInfo(HWND window, const AppRecord& app, SiteRecord& site, HWND ddeWindow) {
    traceFunction("GetBrowserInfo");
    site.title = app.title;
    BrowserType type = getBrowserType(window);
    logMessage("Browser type: %d", static_cast<int>(type));

    bool askOverDde = false;
    switch (type) {
        case kNotABrowser:
            // Stopped being a browser between the loop's test and this call.
            site.url = "Unknown";
            break;
        case kChrome:
        case kYandex:
            site.url = getChromeUrl(window);
            break;
        case kInternetExplorer:
            logMessage("%s: IE browser processing: direct URL reading", "GetBrowserInfo");
            site.url = getIExprolerUrl(window);
            break;
        case kFirefox:
            site.url.clear();
            site.url = WalkerMSAA::getFirefoxURL(window);
            logStrings("MSAA processing: Url info to send: ", site.url.c_str());
            askOverDde = true;
            break;
        default:
            site.url.clear();
            askOverDde = true;
            break;
    }

    if (askOverDde && site.url.empty()) {
        if (!getBrowserUrl(window, getBrowserTypeString(type), ddeWindow, site.url, site.title)) {
            logMessage("Error: %s cannot obtain browser information", "GetBrowserInfo");
            site.url.clear();
            site.title = app.title;
            return false;
        }
    }
    logStrings("Url info to send: ", site.url.c_str(), site.title.c_str());
    return true;
}
