#include <gtest/gtest.h>

#include <string>

#include "unit/test_files.h"
#include "winfo/window_query.h"

namespace {

TEST(GetWindowTitle, ReadsCutsAndToleratesMissingTitles) {
    unit::OwnWindow plain("LookoutUnitTitle", "a$b");
    EXPECT_EQ(GetWindowTitle(plain.get()), "a$b");

    unit::OwnWindow empty("LookoutUnitTitle", "");
    EXPECT_EQ(GetWindowTitle(empty.get()), "");

    std::string longTitle(2000, 'x');
    longTitle[1022] = 'y';
    unit::OwnWindow cut("LookoutUnitTitle", longTitle);
    EXPECT_EQ(GetWindowTitle(cut.get()), longTitle.substr(0, 1023));

    EXPECT_EQ(GetWindowTitle(nullptr), "") << "Wine returns garbage for a null window";
}

TEST(GetWindowClassName, ReturnsTheNameAndNothingStaleForAWindowThatIsGone) {
    unit::OwnWindow window("LookoutUnitClassName", "t");
    EXPECT_EQ(GetWindowClassName(window.get()), "LookoutUnitClassName");
    HWND gone = window.get();
    window.destroy();
    EXPECT_EQ(GetWindowClassName(gone), "");
}

TEST(GetWindowClassName, AClassNameOfMaximumLengthComesBackWhole) {
    std::string name(255, 'C');  // the longest name RegisterClass accepts
    unit::OwnWindow window(name, "t");
    ASSERT_NE(window.get(), nullptr);
    EXPECT_EQ(GetWindowClassName(window.get()), name);
}

}  // namespace
