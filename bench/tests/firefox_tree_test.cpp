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

// Today's trees hold the objects their figures are named after (bench_report checks each
// report's address).
TEST(FirefoxTree, TodaysTreesHoldTheirObjects) {
    EXPECT_EQ(bench::buildChromiumTodayTree(L"example.org/").objects, bench::kTodayTreeSize);
    EXPECT_EQ(bench::buildFirefoxTodayTree(L"https://example.org/").objects, bench::kTodayTreeSize);
}

// The first read of a window with many tabs: Lookout's walks find the address with the same
// calls whatever the number of tabs, within the calls the figures are judged by.
TEST(FirefoxTree, AFirstReadMakesTheSameCallsWithOneTabAndAHundred) {
    std::size_t chromium[2] = {0, 0};
    std::size_t firefox[2] = {0, 0};
    for (int index = 0; index < 2; ++index) {
        const int tabs = index == 0 ? 1 : bench::kManyTabs;
        std::vector<std::string> calls;
        bench::FirefoxTree tree =
            bench::buildChromiumTabsTree(L"x.org/", tabs, bench::kManyBookmarks, &calls);
        WalkBounds bounds;
        ChromiumAddress found;
        ASSERT_TRUE(findChromiumAddress(tree.client, bounds, found));
        EXPECT_EQ(found.value, "x.org/");
        chromium[index] = calls.size();
        found = {};

        calls.clear();
        tree = bench::buildFirefoxTabsTree(L"x.org/", tabs, bench::kManyBookmarks, &calls);
        std::string address;
        AddressInput input;
        WalkBounds firefoxBounds;
        EXPECT_EQ(walkFirefoxTree(tree.window, false, address, firefoxBounds, &input),
                  kWalkInputFound);
        EXPECT_EQ(input.value, "x.org/");
        firefox[index] = calls.size();
    }
    EXPECT_EQ(chromium[0], chromium[1]);
    EXPECT_EQ(firefox[0], firefox[1]);
    EXPECT_LE(chromium[1], 60u);
    EXPECT_LE(firefox[1], 100u);
}

}  // namespace
