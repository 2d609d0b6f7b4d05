#pragma once
// Helpers for unit tests that need windows of this process.

#include <string>

#include "e2e/driver.h"

namespace unit {

// A hidden top-level window of this process, destroyed with the object.
class OwnWindow {
public:
    OwnWindow(const std::string& className, const std::string& title);
    ~OwnWindow();
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND get() const { return window_; }
    void destroy();

private:
    HWND window_;
};

}  // namespace unit
