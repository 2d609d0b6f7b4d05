#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "browser/window_text.h"
#include "unit/browser_tree.h"

namespace {

TEST(RequestWindowText, ReadsCutsAndEmptiesTheBufferWhenTheWindowIsGone) {
    unit::BrowserTree tree("LookoutTextFrame", "t");
    HWND text = tree.add(tree.frame(), "LookoutTextChild", "abcdef");
    char buffer[4];
    EXPECT_EQ(requestWindowText(text, buffer, sizeof buffer), 3);
    EXPECT_STREQ(buffer, "abc");
    DestroyWindow(text);
    EXPECT_EQ(requestWindowText(text, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}

// A window whose thread stops pumping: the request gives up after its time-out with nothing.
TEST(RequestWindowText, GivesUpOnAWindowWhoseThreadDoesNotAnswer) {
    HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND window = nullptr;
    std::thread owner([&] {
        unit::BrowserTree tree("LookoutTextFrame", "stuck");
        window = tree.frame();
        SetEvent(created);
        WaitForSingleObject(release, 30000);  // not pumping meanwhile
    });
    ASSERT_EQ(WaitForSingleObject(created, 10000), WAIT_OBJECT_0);

    // The buffer outlives the test: a late answer may still be written into it.
    static char buffer[64];
    lstrcpyA(buffer, "text of an earlier window");
    ULONGLONG start = GetTickCount64();
    int length = requestWindowText(window, buffer, sizeof buffer);
    ULONGLONG elapsed = GetTickCount64() - start;
    SetEvent(release);
    owner.join();
    CloseHandle(created);
    CloseHandle(release);

    EXPECT_EQ(length, 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_GE(elapsed + 20, kTextRequestTimeoutMs);
    EXPECT_LT(elapsed, 3000u);
}

}  // namespace
