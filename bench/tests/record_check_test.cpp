#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>

#include "common/switching.h"

namespace {

HWND fakeWindow(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

TEST(RecordCheck, TheFirstRecordMustMatchAndLaterOnesMustRepeatIt) {
    bench::RecordCheck check;
    HWND app = fakeWindow(0x10), site = fakeWindow(0x20);
    check.expect(app, "app", "C:\\a.exe", "Title");
    check.expect(site, "site", "http://x/", "Page");
    EXPECT_TRUE(check.check(app, "app$C:\\a.exe$Description$Title$\n$"));
    EXPECT_TRUE(check.check(site, "site$http://x/$Page$C:\\b.exe$\n$"));
    EXPECT_TRUE(check.check(app, "app$C:\\a.exe$Description$Title$\n$"));
    EXPECT_EQ(check.faults(), 0u);
    EXPECT_EQ(check.recordOf(app), "app$C:\\a.exe$Description$Title$\n$");

    EXPECT_FALSE(check.check(app, "app$C:\\a.exe$Other description$Title$\n$"))
        << "a later record differs in a field the expectation did not name";
    EXPECT_EQ(check.faults(), 1u);
    EXPECT_NE(check.firstFault().find("Other description"), std::string::npos);
}

TEST(RecordCheck, WrongFirstRecordsAreFaults) {
    bench::RecordCheck check;
    HWND window = fakeWindow(0x30);
    check.expect(window, "site", "http://x/", "Page");
    EXPECT_FALSE(check.check(window, "app$http://x/$Page$C:\\b.exe$\n$")) << "kind";
    EXPECT_FALSE(check.check(window, "site$http://y/$Page$C:\\b.exe$\n$")) << "address";
    EXPECT_FALSE(check.check(window, "site$http://x/$Other$C:\\b.exe$\n$")) << "title";
    EXPECT_FALSE(check.check(window, "site$http://x/$Page$C:\\b.exe$\r\n$")) << "malformed";
    EXPECT_FALSE(check.check(fakeWindow(0x40), "app$a$b$c$\n$")) << "unknown window";
    EXPECT_EQ(check.faults(), 5u);
    EXPECT_TRUE(check.recordOf(window).empty());
    EXPECT_TRUE(check.check(window, "site$http://x/$Page$C:\\b.exe$\n$"));
}

}  // namespace
