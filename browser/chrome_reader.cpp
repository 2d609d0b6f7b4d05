#include "browser/chrome_reader.h"

#include "browser/child_search.h"
#include "browser/window_text.h"
#include "diag/debug_log.h"
#include "winfo/window_query.h"

namespace {

constexpr int kUrlBufferSize = 1024;

}  // namespace

std::string getChromeUrl(HWND window) {
    traceFunction("getChromeUrl");
    std::string result;
    passThroughChildChromeWindows(window, result);
    return result;
}

void passThroughChildChromeWindows(HWND window, std::string& result) {
    traceFunction("passThroughChildChromeWindows");
    ChildSearch search;
    search.result = &result;
    // Zero also when the callback ended the search at the omnibox, so the line can follow a
    // successful read.
    if (!enumChildWindowsGuarded(window, forEachChildChromeWindow, search))
        logMessage("Error: EnumChildWindows()");
}

BOOL CALLBACK forEachChildChromeWindow(HWND child, LPARAM userValue) noexcept {
    auto* search = reinterpret_cast<ChildSearch*>(userValue);
    return guardedChildStep(search, [&]() -> BOOL {
        traceFunction("forEachChildChromeWindow");
        std::string className = GetWindowClassName(child);
        if (!search || !search->result) return FALSE;
        logMessage("(Chrome processing log) : Child Window Class Name: %s", className.c_str());
        if (className == kChromeOmniboxClass) {
            logMessage("Chrome omnibox child window found: 0x%p", static_cast<void*>(child));
            processChromeAddressWindow(child, search->result);
            return FALSE;
        }
        if (className == kYandexOmniboxClass) {
            logMessage("Yandex omnibox child window found: 0x%p", static_cast<void*>(child));
            processChromeAddressWindow(child, search->result);
            return FALSE;
        }
        return TRUE;
    });
}

void processChromeAddressWindow(HWND omnibox, std::string* result) {
    traceFunction("processChromeAddressWindow");
    if (!result) return;
    // One buffer per read: reads of two windows can run at once.
    char chromeUrlBuffer[kUrlBufferSize] = {};
    *result = requestWindowRecordText(omnibox, chromeUrlBuffer, kUrlBufferSize);
}
