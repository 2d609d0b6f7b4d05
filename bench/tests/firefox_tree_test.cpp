#include <gtest/gtest.h>

#include <string>

#include "browser/msaa_tree.h"
#include "e2e/driver.h"
#include "tree_file.h"

namespace {

// The objects the tree player's window object adds to a file's tree: itself, its title bar and
// its scroll bar.
constexpr std::size_t kWindowObjects = 3;

std::string treePath(const std::string& name) { return e2e::binPath("trees\\" + name); }

// The benchmark's figure is only worth its name if the tree is the size it says and Lookout's
// walk really has to pass most of it before the address.
TEST(FirefoxTree, HoldsFiftyObjectsAndLookoutsWalkFindsTheAddressLate) {
    msaa_test::CallCounts counts;
    msaa_test::TreeFile tree(treePath("bench_firefox.json"), &counts);
    EXPECT_EQ(tree.objects() + kWindowObjects, 50u);
    std::string address;
    EXPECT_EQ(walkFirefoxTree(&tree.root(), false, address), kWalkStop);
    EXPECT_EQ(address, "http://firefox.example/page");
    int bookmarksAsked = 0;
    for (int mark = 1; mark <= 14; ++mark)
        bookmarksAsked += counts.objects["3/" + std::to_string(mark)]["get_accRole"] > 0;
    EXPECT_EQ(bookmarksAsked, 14) << "every bookmark button before the address is looked at";
}

// Today's trees hold the objects their figures are named after (bench_report checks each
// report's address).
TEST(FirefoxTree, TodaysTreesHoldTheirObjects) {
    EXPECT_EQ(msaa_test::TreeFile(treePath("bench_chromium_today.json")).objects() + 1, 150u);
    EXPECT_EQ(msaa_test::TreeFile(treePath("bench_firefox_today.json")).objects() + kWindowObjects,
              150u);
}

}  // namespace
