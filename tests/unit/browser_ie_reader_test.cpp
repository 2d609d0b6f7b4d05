#include <gtest/gtest.h>

#include <string>

#include "browser/ie_reader.h"
#include "unit/browser_tree.h"

namespace {

constexpr char kAddressToolbar[] = "Address Combo Control";

TEST(IExprolerUrl, ReadsTheFirstEditUnderTheAddressToolbarsParent) {
    unit::BrowserTree ie("IEFrame", "Page - Internet Explorer");
    // A toolbar with another text comes first and is passed over, edit and all.
    HWND links = ie.add(ie.frame(), "LookoutRebar");
    ie.add(links, "ToolbarWindow32", "Links");
    ie.add(links, "Edit", "http://decoy/");
    // The edit beside the address toolbar may sit deeper; the first one in order is read.
    HWND band = ie.add(ie.frame(), "LookoutAddressBand");
    ie.add(band, "LookoutStatic", "not an edit");
    ie.add(band, "ToolbarWindow32", kAddressToolbar);
    HWND combo = ie.add(band, "LookoutCombo");
    ie.add(combo, "Edit", "http://example.com/a$b");
    ie.add(band, "Edit", "http://second/");
    EXPECT_EQ(getIExprolerUrl(ie.frame()), "http://example.com/a$b");
}

TEST(IExprolerUrl, OnlyTheFirstAddressToolbarIsUsedEvenWithoutAnEdit) {
    unit::BrowserTree ie("IEFrame", "t");
    HWND firstBand = ie.add(ie.frame(), "LookoutAddressBand");
    ie.add(firstBand, "ToolbarWindow32", kAddressToolbar);
    HWND secondBand = ie.add(ie.frame(), "LookoutAddressBand");
    ie.add(secondBand, "ToolbarWindow32", kAddressToolbar);
    ie.add(secondBand, "Edit", "http://never-read/");
    EXPECT_EQ(getIExprolerUrl(ie.frame()), "");
}

TEST(IExprolerUrl, MissingOrEmptyAddressBarsGiveAnEmptyAddress) {
    unit::BrowserTree bare("IEFrame", "t");
    EXPECT_EQ(getIExprolerUrl(bare.frame()), "");

    unit::BrowserTree noToolbar("IEFrame", "t");
    noToolbar.add(noToolbar.frame(), "Edit", "http://no-toolbar/");
    EXPECT_EQ(getIExprolerUrl(noToolbar.frame()), "");

    unit::BrowserTree emptyEdit("IEFrame", "t");
    emptyEdit.add(emptyEdit.frame(), "ToolbarWindow32", kAddressToolbar);
    emptyEdit.add(emptyEdit.frame(), "Edit", "");
    emptyEdit.add(emptyEdit.frame(), "Edit", "http://after-the-empty-one/");
    EXPECT_EQ(getIExprolerUrl(emptyEdit.frame()), "");
}

TEST(IExprolerUrl, AnAddressOfMoreThan1023BytesIsCut) {
    std::string address = "http://long/" + std::string(2000, 'x');
    address[1022] = 'y';
    unit::BrowserTree ie("IEFrame", "t");
    ie.add(ie.frame(), "ToolbarWindow32", kAddressToolbar);
    ie.add(ie.frame(), "Edit", address);
    EXPECT_EQ(getIExprolerUrl(ie.frame()), address.substr(0, 1023));
}

TEST(IExprolerUrl, AnEditThatNoLongerAnswersGivesNoTextOfAnEarlierRead) {
    unit::BrowserTree ie("IEFrame", "t");
    ie.add(ie.frame(), "ToolbarWindow32", kAddressToolbar);
    HWND edit = ie.add(ie.frame(), "Edit", "http://earlier/");
    std::string result;
    processIExprolerAddressWindow(edit, result);
    ASSERT_EQ(result, "http://earlier/");
    DestroyWindow(edit);
    processIExprolerAddressWindow(edit, result);
    EXPECT_EQ(result, "");
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
