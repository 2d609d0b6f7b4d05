#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/chromium_tree.h"
#include "browser/msaa_tree.h"
#include "firefox_tree.h"

namespace {

// The benchmark's figure is only worth its name if the tree is the size it says and Lookout's
// walk really has to pass most of it before the address.
TEST(FirefoxTree, HoldsFiftyObjectsAndLookoutsWalkFindsTheAddressLate) {
    std::vector<std::string> calls;
    bench::FirefoxTree tree = bench::buildFirefoxTree(L"http://walk.example/", &calls);
    EXPECT_EQ(tree.objects, bench::kFirefoxTreeSize);
    for (int walk = 0; walk < 2; ++walk) {
        calls.clear();
        std::string address;
        EXPECT_EQ(walkFirefoxTree(tree.window, false, address), kWalkStop);
        EXPECT_EQ(address, "http://walk.example/") << "walk " << walk;
    }
    int bookmarksAsked = 0;
    for (const std::string& call : calls) bookmarksAsked += call == "bookmark.role";
    EXPECT_EQ(bookmarksAsked, 14) << "every bookmark button before the address is looked at";
}

// Today's trees: their size, and the element Lookout's readers take as the address.
TEST(FirefoxTree, TodaysTreesHoldTheirObjectsAndTheReadersFindTheAddress) {
    bench::FirefoxTree chromium = bench::buildChromiumTodayTree(L"example.org/");
    bench::FirefoxTree firefox = bench::buildFirefoxTodayTree(L"https://example.org/");
    EXPECT_EQ(chromium.objects, bench::kTodayTreeSize);
    EXPECT_EQ(firefox.objects, bench::kTodayTreeSize);

    WalkBounds bounds;
    ChromiumAddress found;
    ASSERT_TRUE(findChromiumAddress(chromium.client, bounds, found));
    EXPECT_EQ(found.value, "example.org/");
    std::string address;
    FirstComboText firstCombo;
    walkFirefoxTree(firefox.window, false, address, bounds, &firstCombo);
    EXPECT_EQ(address, "");
    EXPECT_EQ(firstCombo.value, "https://example.org/");
}

}  // namespace
