// A Japanese system (code page 932), run by tests/tooling/codepage_932.sh in a Wine prefix of
// its own with a Japanese locale; skipped anywhere else.
#include <gtest/gtest.h>

#include <string>

#include "e2e/driver.h"

// The system's narrow title is cut at 1023 bytes inside the last character; the record's is
// cut before it, and is otherwise the same bytes.
TEST(CodePage932, ATitleCutInsideACharacterEndsBeforeIt) {
    if (GetACP() != 932) GTEST_SKIP() << "needs code page 932, not " << GetACP();
    std::string title = "ab";
    for (int i = 0; i < 600; ++i) title += "\xE3\x81\x82";  // U+3042, two bytes in 932
    e2e::TestWindows windows("testwin_plain.exe", {"/utf8"});
    HWND window = windows.create("LookoutJapanese", title);
    windows.show(window);
    char narrow[1024] = {};
    ASSERT_EQ(GetWindowTextA(window, narrow, sizeof narrow), 1023);
    ASSERT_TRUE(IsDBCSLeadByte(static_cast<BYTE>(narrow[1022]))) << "the system splits it";
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    EXPECT_EQ(lookout.output(), e2e::appRecord(windows.exePath(), "-", std::string(narrow, 1022)));
}
