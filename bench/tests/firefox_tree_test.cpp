#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "browser/chromium_tree.h"
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

// A copy of the tree file `name` under `folder` with its 100 tabs made one.
std::string withOneTab(const std::string& name, const std::string& folder) {
    std::string text = e2e::readFile(treePath(name));
    const std::string many = "\"repeat\": 100";
    const std::size_t at = text.find(many);
    if (at == std::string::npos) throw std::runtime_error(name + " has no 100 tabs");
    text.replace(at, many.size(), "\"repeat\": 1");
    const std::string path = folder + "\\" + name;
    e2e::writeFileOrThrow(path, text);
    return path;
}

// The first read of a window with many tabs: Lookout's walks find the address with the same
// calls whatever the number of tabs, within the calls the figures are judged by.
TEST(FirefoxTree, AFirstReadMakesTheSameCallsWithOneTabAndAHundred) {
    const std::string folder = e2e::freshTempDir("tabs");
    long chromium[2] = {0, 0};
    long firefox[2] = {0, 0};
    for (int index = 0; index < 2; ++index) {
        const bool oneTab = index == 0;
        msaa_test::CallCounts counts;
        msaa_test::TreeFile chromiumTree(oneTab ? withOneTab("bench_chromium_tabs.json", folder)
                                                : treePath("bench_chromium_tabs.json"),
                                         &counts);
        WalkBounds bounds;
        ChromiumAddress found;
        ASSERT_TRUE(findChromiumAddress(&chromiumTree.root(), bounds, found));
        EXPECT_EQ(found.value, "example.org/tabs");
        chromium[index] = counts.total;

        counts = {};
        msaa_test::TreeFile firefoxTree(oneTab ? withOneTab("bench_firefox_tabs.json", folder)
                                               : treePath("bench_firefox_tabs.json"),
                                        &counts);
        // The window object the tree player puts around the tree.
        msaa_test::Node window("window");
        msaa_test::Node titleBar("titlebar");
        window.role(ROLE_SYSTEM_WINDOW).countInto(&counts, "window");
        window.addById(titleBar.role(ROLE_SYSTEM_TITLEBAR).countInto(&counts, "window/1"))
            .add(firefoxTree.root())
            .addSimple();
        std::string address;
        AddressInput input;
        WalkBounds firefoxBounds;
        EXPECT_EQ(walkFirefoxTree(&window, false, address, firefoxBounds, &input),
                  kWalkInputFound);
        EXPECT_EQ(input.value, "example.org/tabs");
        firefox[index] = counts.total;
    }
    EXPECT_EQ(chromium[0], chromium[1]);
    EXPECT_EQ(firefox[0], firefox[1]);
    EXPECT_LE(chromium[1], 60);
    EXPECT_LE(firefox[1], 100);
}

}  // namespace
