#include "unit/browser_tree.h"

#include <cstdio>

#include "diag/debug_log.h"
#include "e2e/driver.h"

namespace unit {

namespace {

void registerOwnClass(const std::string& className) {
    WNDCLASSA existing = {};
    if (GetClassInfoA(nullptr, className.c_str(), &existing)) return;  // a system class
    if (GetClassInfoA(GetModuleHandleA(nullptr), className.c_str(), &existing)) return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className.c_str();
    RegisterClassA(&windowClass);
}

BOOL CALLBACK collect(HWND child, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(child);
    return TRUE;
}

}  // namespace

BrowserTree::BrowserTree(const std::string& frameClass, const std::string& title) {
    registerOwnClass(frameClass);
    frame_ = CreateWindowExA(0, frameClass.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 300,
                             200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

BrowserTree::~BrowserTree() {
    if (frame_) DestroyWindow(frame_);
}

HWND BrowserTree::add(HWND parent, const std::string& className, const std::string& text) {
    registerOwnClass(className);
    return CreateWindowExA(0, className.c_str(), text.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 100,
                           20, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

std::vector<HWND> enumerationOrder(HWND window) {
    std::vector<HWND> windows;
    EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string pointerText(HWND window) {
    char text[64];
    std::snprintf(text, sizeof text, "0x%p", static_cast<void*>(window));
    return text;
}

bool containsInOrder(const std::string& text, const std::vector<std::string>& parts,
                     std::string* missing) {
    std::size_t from = 0;
    for (const std::string& part : parts) {
        std::size_t at = text.find(part, from);
        if (at == std::string::npos) {
            if (missing) *missing = part;
            return false;
        }
        from = at + part.size();
    }
    return true;
}

CapturedLog::CapturedLog() : path_(e2e::freshTempDir("browser-log") + "\\unit.log") {
    initDebugLogLock();
    openDebugLogAt(path_);
}

CapturedLog::~CapturedLog() { closeDebugLog(); }

std::string CapturedLog::content() const { return e2e::readFile(path_); }

}  // namespace unit
