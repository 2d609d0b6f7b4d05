#include "browser/classify.h"

#include <cstring>
#include <utility>

#include "browser/child_search.h"
#include "browser/chromium_browsers.h"
#include "browser/chrome_reader.h"
#include "diag/debug_log.h"
#include "winfo/window_query.h"

namespace {

constexpr char kChromiumFramePrefix[] = "Chrome_WidgetWin_";
constexpr char kOperaFrameClass[] = "OperaWindowClass";

bool isOmniboxClass(const std::string& className) {
    return className == kChromeOmniboxClass || className == kYandexOmniboxClass;
}

// Stops at the first omnibox descendant and leaves its class name in the result.
BOOL CALLBACK findOmnibox(HWND child, LPARAM userValue) noexcept {
    auto* search = reinterpret_cast<ChildSearch*>(userValue);
    return guardedChildStep(search, [&]() -> BOOL {
        if (!search || !search->result) return FALSE;
        std::string className = GetWindowClassName(child);
        if (!isOmniboxClass(className)) return TRUE;
        *search->result = std::move(className);
        return FALSE;
    });
}

// A Chromium-based frame is a browser only when an omnibox lies in its tree; the first one the
// enumeration visits decides between Chrome and Yandex. Other Chromium-based applications
// (Electron and the like) have none and stay ordinary applications.
BrowserType chromiumFrameType(HWND window) {
    std::string omniboxClass;
    ChildSearch search;
    search.result = &omniboxClass;
    enumChildWindowsGuarded(window, findOmnibox, search);
    if (omniboxClass == kChromeOmniboxClass) return kChrome;
    if (omniboxClass == kYandexOmniboxClass) return kYandex;
    return kNotABrowser;
}

}  // namespace

BrowserType getBrowserType(HWND window, const std::string& modulePath) {
    traceFunction("getBrowserType");
    std::string className = GetWindowClassName(window);
    if (className == "MozillaUIWindowClass") return kFirefox;
    if (className == "MozillaWindowClass") return kFirefox;
    if (className == "IEFrame") return kInternetExplorer;
    if (className == kOperaFrameClass) return kOpera;
    if (className.compare(0, std::strlen(kChromiumFramePrefix), kChromiumFramePrefix) != 0)
        return kNotABrowser;
    // An omnibox window decides first, whatever the executable.
    const BrowserType omniboxType = chromiumFrameType(window);
    if (omniboxType != kNotABrowser) return omniboxType;
    return isChromiumBrowserExecutable(modulePath) ? kChromium : kNotABrowser;
}

BrowserType getBrowserType(HWND window) { return getBrowserType(window, std::string()); }

bool isBrowserWindow(HWND window, const std::string& modulePath) {
    traceFunction("isBrowserWindow");
    return getBrowserType(window, modulePath) != kNotABrowser;
}

bool isBrowserWindow(HWND window) { return isBrowserWindow(window, std::string()); }

std::string getBrowserTypeString(BrowserType type) {
    traceFunction("getBrowserTypeString");
    switch (type) {
        case kFirefox: return "FireFox";
        case kInternetExplorer: return "IExplore";
        case kOpera: return "Opera";
        case kChrome: return "Chrome";
        case kYandex: return "Yandex";
        case kChromium: return "Chromium";
        default: return "Unknown";
    }
}
