#include <windows.h>

#include "unit/test_files.h"

namespace unit {

OwnWindow::OwnWindow(const std::string& className, const std::string& title) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className.c_str();
    RegisterClassA(&windowClass);  // fails harmlessly when a test registered it before
    window_ = CreateWindowExA(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100,
                              100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

OwnWindow::~OwnWindow() { destroy(); }

void OwnWindow::destroy() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
}

}  // namespace unit
