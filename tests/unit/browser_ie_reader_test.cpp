#include <gtest/gtest.h>

#include <string>

#include "browser/ie_reader.h"
#include "unit/browser_tree.h"

namespace {

constexpr char kAddressToolbar[] = "Address Combo Control";

TEST(IExprolerUrl, ReadsTheFirstEditUnderTheFirstAddressToolbarsParent) {
    unit::BrowserTree ie("IEFrame", "Page - Internet Explorer");
    // A toolbar with another text comes first and is passed over, edit and all.
    HWND links = ie.add(ie.frame(), "LookoutRebar");
    ie.add(links, "ToolbarWindow32", "Links");
    ie.add(links, "Edit", "http://decoy/");
    // The first edit in order under the toolbar's parent is read, however deep.
    HWND band = ie.add(ie.frame(), "LookoutAddressBand");
    ie.add(band, "LookoutStatic", "not an edit");
    ie.add(band, "ToolbarWindow32", kAddressToolbar);
    HWND combo = ie.add(band, "LookoutCombo");
    ie.add(combo, "Edit", "http://example.com/a$b");
    ie.add(band, "Edit", "http://second/");
    // A second address toolbar is never looked at.
    HWND laterBand = ie.add(ie.frame(), "LookoutAddressBand");
    ie.add(laterBand, "ToolbarWindow32", kAddressToolbar);
    EXPECT_EQ(getIExprolerUrl(ie.frame()), "http://example.com/a$b");
}

TEST(IExprolerUrl, MissingOrEmptyAddressBarsGiveAnEmptyAddress) {
    unit::BrowserTree bare("IEFrame", "t");
    EXPECT_EQ(getIExprolerUrl(bare.frame()), "");

    unit::BrowserTree noToolbar("IEFrame", "t");
    noToolbar.add(noToolbar.frame(), "Edit", "http://no-toolbar/");
    EXPECT_EQ(getIExprolerUrl(noToolbar.frame()), "");

    // The search ends at the first address toolbar even when no edit lies beside it.
    unit::BrowserTree noEdit("IEFrame", "t");
    HWND firstBand = noEdit.add(noEdit.frame(), "LookoutAddressBand");
    noEdit.add(firstBand, "ToolbarWindow32", kAddressToolbar);
    HWND secondBand = noEdit.add(noEdit.frame(), "LookoutAddressBand");
    noEdit.add(secondBand, "ToolbarWindow32", kAddressToolbar);
    noEdit.add(secondBand, "Edit", "http://never-read/");
    EXPECT_EQ(getIExprolerUrl(noEdit.frame()), "");

    unit::BrowserTree emptyEdit("IEFrame", "t");
    emptyEdit.add(emptyEdit.frame(), "ToolbarWindow32", kAddressToolbar);
    emptyEdit.add(emptyEdit.frame(), "Edit", "");
    emptyEdit.add(emptyEdit.frame(), "Edit", "http://after-the-empty-one/");
    EXPECT_EQ(getIExprolerUrl(emptyEdit.frame()), "");
}

TEST(IExprolerUrl, LogsEachStepTheToolbarAndTheEdit) {
    unit::CapturedLog log;
    unit::BrowserTree ie("IEFrame", "t");
    HWND toolbar = ie.add(ie.frame(), "ToolbarWindow32", kAddressToolbar);
    HWND edit = ie.add(ie.frame(), "Edit", "http://logged/");
    ASSERT_EQ(getIExprolerUrl(ie.frame()), "http://logged/");
    unit::BrowserTree bare("IEFrame", "t");
    getIExprolerUrl(bare.frame());

    const std::string trace = ">>>> Function: ";
    std::string missing;
    EXPECT_TRUE(unit::containsInOrder(
        log.content(),
        {trace + "getIExprolerUrl\r\n", trace + "passThroughChildIExprolerWindows\r\n",
         trace + "forEachChildIExprolerWindow\r\n",
         ": IExproler URL nearest window found: " + unit::pointerText(toolbar) + "\r\n",
         trace + "forEachChildIExprolerURLEditChildsWindow\r\n",
         ": IExproler URL textbox found: " + unit::pointerText(edit) + "\r\n",
         trace + "processIExprolerAddressWindow\r\n",
         // Both searches were ended early by their callbacks, which the system reports as zero.
         ": Error: forEachChildIExprolerWindow()\r\n", ": Error: EnumChildWindows()\r\n",
         // A window without descendants.
         trace + "getIExprolerUrl\r\n", ": Error: EnumChildWindows()\r\n"},
        &missing))
        << missing << "\n" << log.content();
}

}  // namespace
