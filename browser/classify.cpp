#include "browser/classify.h"

#include "diag/debug_log.h"
#include "winfo/window_query.h"

BrowserType getBrowserType(HWND window) {
    traceFunction("getBrowserType");
    std::string className = GetWindowClassName(window);
    if (className == "MozillaUIWindowClass") return 1;
    if (className == "MozillaWindowClass") return 1;
    if (className == "IEFrame") return 2;
    if (className == "OperaWindowClass") return 3;
    return 0;
}

bool isBrowserWindow(HWND window) {
    traceFunction("isBrowserWindow");
    return getBrowserType(window) != 0;
}

std::string getBrowserTypeString(BrowserType type) {
    traceFunction("getBrowserTypeString");
    switch (type) {
        case 1: return "FireFox";
        case 2: return "IExplore";
        case 3: return "Opera";
        case 4: return "Chrome";
        case 6: return "Yandex";
        default: return "Unknown";
    }
}
