#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
