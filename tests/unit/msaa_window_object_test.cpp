// Getting a window's accessible object. Windows that answer WM_GETOBJECT themselves, or stall,
// are served by another process in the end-to-end tests.
#include <gtest/gtest.h>

#include "browser/msaa_window_object.h"
#include "unit/test_files.h"

namespace {

// Real Firefox windows do not answer OBJID_WINDOW themselves: the system's window object,
// whose children lead to the browser's own client object, must come back then.
TEST(MsaaWindowObject, AWindowWithoutAnObjectOfItsOwnGetsTheStandardOne) {
    CoInitialize(nullptr);
    {
        unit::OwnWindow plain("LookoutPlainAccessible", "plain");
        lookout::com_ptr<IAccessible> object;
        EXPECT_EQ(getWindowAccessible(plain.get(), kWindowObjectTimeoutMs, object), S_OK);
        EXPECT_TRUE(object);

        HWND gone = plain.get();
        plain.destroy();
        EXPECT_TRUE(FAILED(getWindowAccessible(gone, kWindowObjectTimeoutMs, object)));
        EXPECT_FALSE(object);
    }
    CoUninitialize();
}

}  // namespace
