#include "browser/browser_info.h"

#include <optional>

#include "browser/chrome_reader.h"
#include "browser/chromium_address.h"
#include "browser/ie_reader.h"
#include "browser/msaa_walker.h"
#include "dde/dde_url.h"
#include "diag/debug_log.h"
#include "util/record_text.h"

namespace {

// The log stays in the ANSI code page whatever the records are in.
void logRecordTexts(const char* label, const std::string& text,
                    const std::string* more = nullptr) {
    if (!debugLogFile) return;
    logStrings(label, ansiFromRecordText(text).c_str(),
               more ? ansiFromRecordText(*more).c_str() : nullptr);
}

}  // namespace

bool GetBrowserInfo(HWND window, const AppRecord& app, SiteRecord& site, HWND ddeWindow) {
    traceFunction("GetBrowserInfo");
    site.title = app.title;
    BrowserType type = getBrowserType(window, app.modulePath);
    logMessage("Browser type: %d", static_cast<int>(type));

    bool askOverDde = false;
    // Current Firefox's address input, taken when the older address combo box gives none.
    std::optional<std::string> firefoxInput;
    switch (type) {
        case kNotABrowser:
            // Stopped being a browser between the loop's test and this call.
            site.url = "Unknown";
            break;
        case kChrome:
        case kYandex:
            site.url = getChromeUrl(window);
            break;
        case kChromium: {
            std::optional<std::string> address = getChromiumAddress(window);
            if (!address) {
                logMessage("%s: no address element in the Chromium window", "GetBrowserInfo");
                site.url.clear();
                return false;
            }
            site.url = std::move(*address);
            break;
        }
        case kInternetExplorer:
            logMessage("%s: IE browser processing: direct URL reading", "GetBrowserInfo");
            site.url = getIExprolerUrl(window);
            break;
        case kFirefox:
            site.url.clear();
            site.url = WalkerMSAA::getFirefoxURL(window, firefoxInput);
            logRecordTexts("MSAA processing: Url info to send: ", site.url);
            // Firefox has answered no DDE since 2019: a tree with its address input is one of
            // today, and a "FireFox" DDE server beside it is another program.
            askOverDde = !firefoxInput;
            if (site.url.empty() && firefoxInput) {
                if (firefoxInput->empty()) {
                    // An empty address bar is no page.
                    logMessage("%s: the address input is empty", "GetBrowserInfo");
                    return false;
                }
                logRecordTexts("MSAA processing: Url from the address input: ", *firefoxInput);
                site.url = std::move(*firefoxInput);
            }
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
    logRecordTexts("Url info to send: ", site.url, &site.title);
    return true;
}
