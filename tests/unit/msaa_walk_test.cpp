// The accessibility walk on in-process trees of hand-written objects that record the calls made
// on them and count their references.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "browser/chromium_tree.h"
#include "browser/kept_elements.h"
#include "browser/msaa_tree.h"
#include "diag/debug_log.h"
#include "e2e/driver.h"
#include "programs/msaa_node.h"
#include "unit/test_files.h"

namespace {

using msaa_test::Node;
using Calls = std::vector<std::string>;

constexpr LONG kDocument = 0x0F;
constexpr LONG kGrouping = 0x14;
constexpr LONG kToolbar = 0x16;
constexpr LONG kPushButton = 0x2B;

class MsaaWalk : public ::testing::Test {
protected:
    // A node whose calls go to this test's list.
    Node& node(const std::string& label) {
        nodes_.push_back(std::make_unique<Node>(label, &calls_));
        return *nodes_.back();
    }
    Node& combo(const std::string& label, const std::wstring& nameAndValue) {
        return node(label).role(ROLE_SYSTEM_COMBOBOX).name(nameAndValue).value(nameAndValue);
    }
    Node& text(const std::string& label, const std::wstring& name, const std::wstring& value) {
        return node(label).role(ROLE_SYSTEM_TEXT).name(name).value(value);
    }

    HRESULT walk(Node& root) { return walkFirefoxTree(&root, false, address_); }

    // The calls recorded on the node with that label.
    Calls callsOn(const std::string& label) const {
        Calls found;
        for (const std::string& call : calls_)
            if (call.rfind(label + ".", 0) == 0) found.push_back(call);
        return found;
    }

    // Every reference the walk obtained has been released again, none twice.
    void TearDown() override {
        for (const auto& each : nodes_)
            EXPECT_EQ(each->references(), 1) << "references of " << each->label();
    }

    Calls calls_;
    std::string address_;

private:
    std::vector<std::unique_ptr<Node>> nodes_;
};

TEST_F(MsaaWalk, FindsTheAddressWithTheCallsOfEachChildInOrder) {
    Node& root = node("root");
    Node& toolbar = node("bar").role(kToolbar).name(L"Navigation");
    Node& urlCombo = combo("combo", L"https://example.org/a");
    Node& edit = text("edit", L"https://example.org/a", L"https://example.org/typed");
    Node& later = node("later").role(ROLE_SYSTEM_COMBOBOX);
    root.add(toolbar).add(later);
    toolbar.add(urlCombo);
    urlCombo.addSimple().addById(edit).add(node("unvisited").role(ROLE_SYSTEM_TEXT));

    EXPECT_EQ(walk(root), kWalkStop);
    EXPECT_EQ(address_, "https://example.org/typed");
    EXPECT_EQ(calls_, (Calls{"root.count", "root.enum", "root.reset", "root.next",
                             "bar.role",
                             "bar.count", "bar.enum", "bar.reset", "bar.next",
                             "combo.role", "combo.name", "combo.value",
                             "combo.count", "combo.enum", "combo.reset", "combo.next",
                             "combo.child(1)", "combo.child(2)",
                             "edit.role", "edit.name", "edit.value"}));
}

// Current Firefox: no combo box matches the older rule; the address input is the last combo box
// of the first toolbar holding combo boxes, whose own value is the address (2026), else its text
// element's (2024-25). The walk enters neither the tab strip nor buttons, gives a document no
// call but its role, visits toolbars first and ends with that toolbar.
TEST_F(MsaaWalk, TodaysInputIsTheLastComboBoxOfTheFirstToolbarHoldingComboBoxes) {
    Node& root = node("root");
    Node& page = node("page").role(kDocument);
    page.add(combo("spoof", L"http://spoof/").add(text("spoofEdit", L"http://spoof/", L"x")));
    Node& tabsBar = node("tabsBar").role(kToolbar);
    Node& tabs = node("tabs").role(ROLE_SYSTEM_PAGETABLIST);
    for (int tab = 0; tab < 100; ++tab) tabs.add(node("tab").role(ROLE_SYSTEM_PAGETAB));
    tabsBar.add(tabs).add(node("newTab").role(kPushButton).add(node("inside")));
    Node& navigation = node("nav").role(kToolbar);
    Node& mode = node("mode").role(ROLE_SYSTEM_COMBOBOX).name(L"More options").value(L"Google");
    mode.add(text("engine", L"Google", L"wrong: the search-mode button"));
    Node& input = node("input").role(ROLE_SYSTEM_COMBOBOX).name(L"Search").value(L"x.org/now");
    input.add(node("leaf").role(ROLE_SYSTEM_TEXT).name(L"x.org/now"));
    navigation.add(node("back").role(kPushButton)).add(mode).add(
        node("group").role(kGrouping).add(input));
    Node& bookmarks = node("bookmarks").role(kToolbar);
    bookmarks.add(node("other").role(ROLE_SYSTEM_COMBOBOX).value(L"wrong: a later toolbar"));
    root.add(page).add(node("menu").role(ROLE_SYSTEM_MENUBAR).add(node("file")))
        .add(tabsBar).add(navigation).add(bookmarks);

    AddressInput found;
    WalkBounds bounds;
    EXPECT_EQ(walkFirefoxTree(&root, false, address_, bounds, &found), kWalkInputFound);
    EXPECT_EQ(address_, "");
    ASSERT_TRUE(found.found);
    EXPECT_EQ(found.value, "x.org/now");
    EXPECT_EQ(found.element.role, ROLE_SYSTEM_COMBOBOX);
    EXPECT_EQ(found.element.path, (std::vector<LONG>{3, 2, 0}));
    EXPECT_EQ(callsOn("page"), (Calls{"page.role"}));
    EXPECT_EQ(callsOn("tabs"), (Calls{"tabs.role"}));
    EXPECT_EQ(callsOn("newTab"), (Calls{"newTab.role"}));
    EXPECT_TRUE(callsOn("tab").empty() && callsOn("inside").empty() && callsOn("file").empty());
    EXPECT_EQ(callsOn("leaf"), (Calls{"leaf.role"}));
    EXPECT_EQ(callsOn("engine"), (Calls{"engine.role"}));
    EXPECT_TRUE(callsOn("bookmarks").empty()) << "walked past the input's toolbar";
    found = {};  // its kept object goes before the tear-down counts references

    // No combo box in any toolbar: no input, and the walk goes on to its end.
    Node& none = node("none");
    none.add(node("bar3").role(kToolbar).add(node("b").role(kPushButton)))
        .add(node("c").role(ROLE_SYSTEM_COMBOBOX).value(L"wrong: in no toolbar"));
    EXPECT_EQ(walkFirefoxTree(&none, false, address_, bounds, &found), kWalkGoOn);
    EXPECT_FALSE(found.found);
}

TEST_F(MsaaWalk, AComboBoxMatchesOnlyWithANonEmptyNameEqualToItsValue) {
    Node& root = node("root");
    // Empty name and value: not the address box, so its text child is no address either.
    Node& emptyCombo = node("empty").role(ROLE_SYSTEM_COMBOBOX).name(L"").value(L"");
    emptyCombo.add(text("emptyEdit", L"", L"wrong: empty combo box matched"));
    Node& unnamedCombo = node("unnamed").role(ROLE_SYSTEM_COMBOBOX);
    unnamedCombo.add(text("unnamedEdit", L"", L"wrong: unnamed combo box matched"));
    // Name and value differ: walked into like any object; the real address box is below it.
    Node& search = node("search").role(ROLE_SYSTEM_COMBOBOX).name(L"Search").value(L"");
    Node& deep = combo("deep", L"http://deep/");
    deep.add(text("deepEdit", L"http://deep/", L"http://deep/value"));
    search.add(text("searchEdit", L"Search", L"wrong: mismatching combo box matched")).add(deep);
    root.add(emptyCombo).add(unnamedCombo).add(search);

    EXPECT_EQ(walk(root), kWalkStop);
    EXPECT_EQ(address_, "http://deep/value");
}

TEST_F(MsaaWalk, AMatchedComboBoxWithoutItsTextKeepsItsNameAndALaterMatchReplacesIt) {
    Node& root = node("root");
    Node& first = combo("first", L"http://first/");
    first.add(text("otherName", L"Address", L"x"))
        .add(node("button").role(kPushButton).name(L"http://first/").value(L"y"));
    Node& between = node("between").role(kGrouping);
    Node& second = combo("second", L"http://second/");
    second.add(node("secondButton").role(kPushButton));
    root.add(first).add(between).add(second);

    EXPECT_EQ(walk(root), kWalkGoOn);
    EXPECT_EQ(address_, "http://second/");
    EXPECT_EQ(callsOn("between"), (Calls{"between.role", "between.count"}));
    // Below a matched combo box: a text element's name is read, other roles are only asked.
    EXPECT_EQ(callsOn("otherName"), (Calls{"otherName.role", "otherName.name"}));
    EXPECT_EQ(callsOn("button"), (Calls{"button.role"}));
}

TEST_F(MsaaWalk, OnlyTheDirectChildrenOfTheMatchedComboBoxAreExamined) {
    Node& root = node("root");
    Node& urlCombo = combo("combo", L"http://a/");
    Node& group = node("group").role(kGrouping).name(L"http://a/");
    group.add(text("nested", L"http://a/", L"wrong: found one level too deep"));
    urlCombo.add(group);
    root.add(urlCombo);

    EXPECT_EQ(walk(root), kWalkGoOn);
    EXPECT_EQ(address_, "http://a/");
    EXPECT_EQ(callsOn("group"), (Calls{"group.role"}));
    EXPECT_TRUE(callsOn("nested").empty());
}

TEST_F(MsaaWalk, TheFirstMatchingTextElementEndsTheWholeWalkEvenWithAnEmptyValue) {
    Node& root = node("root");
    Node& outer = node("outer").role(kGrouping);
    Node& urlCombo = combo("combo", L"http://a/");
    urlCombo.add(text("differs", L"other", L"wrong"))
        .add(text("match", L"http://a/", L""))
        .add(text("second", L"http://a/", L"wrong: walked past the match"));
    outer.add(urlCombo).add(node("outerNext"));
    root.add(outer).add(node("rootNext"));

    EXPECT_EQ(walk(root), kWalkStop);
    EXPECT_EQ(address_, "");
    EXPECT_EQ(callsOn("differs"), (Calls{"differs.role", "differs.name"}));
    EXPECT_EQ(callsOn("match"), (Calls{"match.role", "match.name", "match.value"}));
    EXPECT_TRUE(callsOn("second").empty());
    EXPECT_TRUE(callsOn("outerNext").empty());
    // Roles first at a level outside toolbars: toolbars are entered before the others.
    EXPECT_EQ(callsOn("rootNext"), (Calls{"rootNext.role"}));
}

TEST_F(MsaaWalk, ARoleGivenAsTextOrNotGivenIsNoRole) {
    Node& root = node("root");
    Node& textRole = node("textRole").roleAsText(L"combo box").name(L"http://a/").value(L"http://a/");
    textRole.add(text("edit1", L"http://a/", L"wrong: text role matched"));
    Node& failing = node("failing").role(ROLE_SYSTEM_COMBOBOX).failRole()
                        .name(L"http://b/").value(L"http://b/");
    failing.add(text("edit2", L"http://b/", L"wrong: failed role matched"));
    root.add(textRole).add(failing);

    EXPECT_EQ(walk(root), kWalkGoOn);
    EXPECT_EQ(address_, "");
    // Walked into as ordinary objects: their text children are neither compared nor entered.
    EXPECT_EQ(callsOn("edit1"), (Calls{"edit1.role"}));
}

TEST_F(MsaaWalk, ElementsWithoutAnObjectOfTheirOwnGetNoCalls) {
    Node& root = node("root");
    Node& notAccessible = node("dispatchOnly").dispatchOnly().role(ROLE_SYSTEM_COMBOBOX);
    Node& notAccessibleById = node("dispatchOnlyById").dispatchOnly();
    Node& last = node("last").role(kGrouping);
    root.addSimple().addOtherTag().add(notAccessible).addById(notAccessibleById).add(last);

    EXPECT_EQ(walk(root), kWalkGoOn);
    EXPECT_EQ(calls_, (Calls{"root.count", "root.enum", "root.reset", "root.next",
                             "root.child(1)", "root.child(4)",
                             "last.role", "last.count"}));
}

TEST_F(MsaaWalk, AFailingNextEndsTheWalkAtEveryLevelAndKeepsTheAddress) {
    Node& root = node("root");
    Node& urlCombo = combo("combo", L"http://kept/");
    Node& group = node("group").failNextAt(2);
    group.add(node("first")).add(node("unreached"));
    root.add(urlCombo).add(group).add(node("rootNext"));

    EXPECT_EQ(walk(root), kWalkStop);
    EXPECT_EQ(address_, "http://kept/");
    // The elements of the failing call are not taken.
    EXPECT_TRUE(callsOn("first").empty());
    EXPECT_TRUE(callsOn("unreached").empty());
    EXPECT_EQ(callsOn("rootNext"), (Calls{"rootNext.role"})) << "entered";

    // At the top level as well, and at the first position.
    Node& failingRoot = node("failingRoot").failNextAt(1);
    failingRoot.add(combo("never", L"http://never/"));
    address_ = "before";
    EXPECT_EQ(walk(failingRoot), kWalkStop);
    EXPECT_EQ(address_, "before");
    EXPECT_TRUE(callsOn("never").empty());
}

TEST_F(MsaaWalk, ObjectsWithoutChildrenOrEnumeratorAreNotEnumerated) {
    Node& empty = node("empty");
    EXPECT_EQ(walk(empty), kWalkGoOn);
    Node& negative = node("negative").reportChildCount(-1);
    negative.add(node("hidden"));
    EXPECT_EQ(walk(negative), kWalkGoOn);
    EXPECT_TRUE(callsOn("hidden").empty());
    EXPECT_EQ(callsOn("negative"), (Calls{"negative.count"}));

    Node& countFails = node("countFails").failChildCount(E_ACCESSDENIED);
    countFails.add(node("unasked"));
    EXPECT_EQ(walk(countFails), E_ACCESSDENIED);
    Node& noEnum = node("noEnum").noEnumerator();
    noEnum.add(node("unenumerated"));
    EXPECT_EQ(walk(noEnum), E_NOINTERFACE);
    EXPECT_EQ(callsOn("noEnum"), (Calls{"noEnum.count", "noEnum.enum"}));
    EXPECT_TRUE(callsOn("unenumerated").empty());
    EXPECT_TRUE(callsOn("unasked").empty());
}

TEST_F(MsaaWalk, TheLevelGivesTheLastDescentsResultAndAShortEnumeratorIsNoFailure) {
    // Three children promised, one given: the missing ones are skipped, the walk goes on.
    Node& root = node("root").reportChildCount(3);
    root.add(node("leaf").noEnumerator().add(node("leafChild")));
    EXPECT_EQ(walk(root), E_NOINTERFACE);
    EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "root.next"), 1);

    Node& parent = node("parent");
    parent.add(node("a").noEnumerator()).add(node("b")).addSimple();
    EXPECT_EQ(walk(parent), kWalkGoOn);
}

TEST_F(MsaaWalk, ATreeThatContainsItselfEndsAtTheDepthLimit) {
    Node& loop = node("loop").role(kGrouping);
    loop.add(loop);
    EXPECT_EQ(walk(loop), kWalkGoOn);
    EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "loop.role"), kMaxWalkDepth + 1);
}

// Trees that answer at once but would never end: 2^31 - 1 children promised and none given (the
// enumerator's end ends the level), or a node whose children are itself, which the call budget
// stops before the depth limit.
TEST_F(MsaaWalk, ATreeThatNeverEndsStopsAtTheCallBudget) {
    Node& endless = node("endless").reportChildCount(0x7FFFFFFF);
    EXPECT_EQ(walk(endless), kWalkGoOn);
    EXPECT_EQ(calls_.size(), 4u);
    Node& self = node("self").role(kGrouping).reportChildCount(0x7FFFFFFF);
    self.add(self);
    calls_.clear();
    address_ = "kept";
    WalkBounds bounds(1000, 60000);
    EXPECT_EQ(walkFirefoxTree(&self, false, address_, bounds), kWalkStop);
    EXPECT_LE(calls_.size(), 1000u);
    EXPECT_EQ(address_, "kept");
}

TEST_F(MsaaWalk, LogsTheComboBoxAndEveryTextElementBelowItBeforeComparing) {
    std::string logPath = e2e::freshTempDir("msaa") + "\\walk.log";
    initDebugLogLock();
    openDebugLogAt(logPath);
    Node& root = node("root");
    Node& urlCombo = combo("combo", L"http://a/");
    urlCombo.add(text("differs", L"other", L"x")).add(text("match", L"http://a/", L"v"));
    root.add(urlCombo);
    HRESULT result = walk(root);
    closeDebugLog();

    EXPECT_EQ(result, kWalkStop);
    std::string log = e2e::readFile(logPath);
    std::size_t found = log.find("Go to a Website window is found\r\n");
    std::string editLine = "Required Role Editbox is found: URL is to be sent now.\r\n";
    std::size_t firstEdit = log.find(editLine);
    ASSERT_NE(found, std::string::npos) << log;
    ASSERT_NE(firstEdit, std::string::npos) << log;
    EXPECT_LT(found, firstEdit);
    EXPECT_NE(log.find(editLine, firstEdit + 1), std::string::npos) << "one line per text element";
}

// Chromium-family trees: the address field is known by its shortcut "Ctrl+L", else by another
// single modifier before "L", else as the first text element in a toolbar; never by anything
// inside a page, and never by its name, which is not asked.
class ChromiumTree : public MsaaWalk {
protected:
    bool find(Node& root) {
        found_ = {};
        WalkBounds bounds;
        return findChromiumAddress(&root, bounds, found_);
    }
    Node& page(const std::string& label) {
        return node(label).role(kDocument).add(
            text(label + "Field", L"Find", L"wrong: a page's field").shortcut(L"Ctrl+L"));
    }
    Node& field(const std::string& label, const wchar_t* shortcut, const std::wstring& value) {
        Node& made = node(label).role(ROLE_SYSTEM_TEXT).name(L"Name").value(value);
        return shortcut ? made.shortcut(shortcut) : made;
    }
    void TearDown() override {
        found_ = {};
        EXPECT_EQ(std::count_if(calls_.begin(), calls_.end(),
                                [](const std::string& call) {
                                    return call.find(".name") != std::string::npos;
                                }),
                  0)
            << "a name was asked";
        MsaaWalk::TearDown();
    }
    ChromiumAddress found_;
};

TEST(AddressShortcut, OnlyCtrlLIsExactAndTwoModifiersOrAltNeverCount) {
    EXPECT_EQ(addressKeyOf("Ctrl+L"), AddressKey::kExact);
    for (const char* other : {"Strg+L", "Shift+L", "Cmd+L"})
        EXPECT_EQ(addressKeyOf(other), AddressKey::kOtherModifier) << other;
    for (const char* never : {"Ctrl+Shift+L", "Alt+L", "ALT+L", "+L"})
        EXPECT_EQ(addressKeyOf(never), AddressKey::kNever) << never;
    for (const char* none : {"", "L", "Ctrl+F", "Ctrl+l", "Ctrl+L "})
        EXPECT_EQ(addressKeyOf(none), AddressKey::kNone) << none;
}

// The toolbar is visited before the tab strip, the page and the other containers met before it;
// "Ctrl+L" ends the walk even after other "+L" fields, which count only without it.
TEST_F(ChromiumTree, CtrlLWinsElseOneOtherModifierElseTheFirstTextInAToolbar) {
    Node& root = node("root");
    Node& tabs = node("tabs").role(ROLE_SYSTEM_PAGETABLIST);
    for (int tab = 0; tab < 100; ++tab) tabs.add(node("tab").role(ROLE_SYSTEM_PAGETAB));
    Node& panel = node("panel").role(kGrouping).add(field("side", L"Ctrl+Shift+L", L"wrong"));
    Node& toolbar = node("bar").role(kToolbar);
    Node& location = node("location").role(kGrouping);
    location.add(field("german", L"Strg+L", L"wrong: not Ctrl+L"))
        .add(field("address", L"Ctrl+L", L"x.org/"));
    toolbar.add(field("mnemonic", L"Alt+L", L"wrong: Alt")).add(node("back").role(kPushButton))
        .add(location);
    Node& bookmarks = node("bookmarks").role(kToolbar).add(node("mark").role(kPushButton));
    root.add(tabs).add(page("page")).add(panel).add(toolbar).add(bookmarks);
    ASSERT_TRUE(find(root));
    EXPECT_EQ(found_.value, "x.org/");
    EXPECT_EQ(found_.element.shortcut, "Ctrl+L");
    EXPECT_EQ(found_.element.path, (std::vector<LONG>{3, 2, 1}));
    EXPECT_EQ(callsOn("tabs"), (Calls{"tabs.role"}));
    EXPECT_EQ(callsOn("page"), (Calls{"page.role"}));
    EXPECT_EQ(callsOn("back"), (Calls{"back.role"}));
    EXPECT_EQ(callsOn("panel"), (Calls{"panel.role"})) << "entered before the toolbar";
    EXPECT_TRUE(callsOn("tab").empty() && callsOn("bookmarks").empty());

    // Neither a shortcut nor a toolbar outside the page: nothing.
    Node& bare = node("bare");
    EXPECT_FALSE(find(bare.add(field("lone", nullptr, L"x")).add(page("barePage"))));
}

// The element found is read again through the object kept, else along its path; an element
// that no longer shows its role and shortcut is not taken.
TEST_F(ChromiumTree, TheElementFoundIsReadAgainUntilItChanges) {
    Node& root = node("root");
    Node& toolbar = node("bar").role(kToolbar);
    Node& address = field("address", L"Ctrl+L", L"example.org");
    root.add(page("page")).add(toolbar.add(node("reload").role(kPushButton)).addById(address));
    ASSERT_TRUE(find(root));
    auto noRoot = []() -> IAccessible* { return nullptr; };
    auto fromRoot = [&root]() -> IAccessible* { return &root; };

    calls_.clear();
    address.value(L"example.org/typed");
    EXPECT_EQ(readElementAgain(found_.element, noRoot), "example.org/typed");
    EXPECT_EQ(calls_, (Calls{"address.role", "address.shortcut", "address.value"}));
    found_.element.object.reset();
    EXPECT_EQ(readElementAgain(found_.element, fromRoot), "example.org/typed");
    EXPECT_TRUE(found_.element.object);
    EXPECT_TRUE(callsOn("reload").empty()) << "skipped, not walked";

    address.shortcut(L"Ctrl+K");
    calls_.clear();
    EXPECT_EQ(readElementAgain(found_.element, fromRoot), std::nullopt);
    EXPECT_FALSE(found_.element.object);
    EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "address.value"), 0);
}

TEST(MsaaText, NamesAndValuesAreAnsiTextUpToTheFirstNul) {
    Node object("object");
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;

    object.name(std::wstring(L"ab\0cd", 5)).value(L"caf\u00e9 \u20ac \u0416");
    EXPECT_EQ(getAccNameString(&object, self), "ab");
    // 1252 has both the e-acute and the euro sign; Cyrillic becomes the default character.
    EXPECT_EQ(getAccValueString(&object, self), "caf\xe9 \x80 ?");

    Node nothing("nothing");  // S_FALSE without a string
    EXPECT_EQ(getAccNameString(&nothing, self), "");
    nothing.failName().failValue().name(L"x").value(L"y");
    EXPECT_EQ(getAccNameString(&nothing, self), "");
    EXPECT_EQ(getAccValueString(&nothing, self), "");
    EXPECT_EQ(narrowAccText(nullptr), "");
    EXPECT_EQ(object.references(), 1);
}

// Up to 64 windows keep their element; past that, the window kept longest ago makes room, unless
// a window that has gone can.
TEST(KeptElements, SixtyFourWindowsKeepTheirElementAndTheOneKeptLongestAgoMakesRoom) {
    std::vector<std::unique_ptr<unit::OwnWindow>> windows;
    for (std::size_t i = 0; i <= kMaxKeptElements + 1; ++i)
        windows.push_back(std::make_unique<unit::OwnWindow>("LookoutKept", "Kept"));
    auto keep = [&](std::size_t i) {
        AddressElement element;
        element.path = {static_cast<LONG>(i)};
        keepAddressElement(windows[i]->get(), std::move(element));
    };
    auto kept = [&](std::size_t i) {
        std::optional<AddressElement> taken = takeAddressElement(windows[i]->get());
        if (!taken) return false;
        const bool same = taken->path == std::vector<LONG>{static_cast<LONG>(i)};
        keepAddressElement(windows[i]->get(), std::move(*taken));  // now the newest
        return same;
    };
    for (std::size_t i = 0; i < kMaxKeptElements; ++i) keep(i);
    EXPECT_TRUE(kept(0));
    keep(kMaxKeptElements);
    EXPECT_FALSE(kept(1)) << "the one kept longest ago";
    EXPECT_TRUE(kept(0));
    EXPECT_TRUE(kept(2));
    windows[5]->destroy();
    keep(kMaxKeptElements + 1);
    EXPECT_TRUE(kept(3)) << "a window that has gone made room";
    EXPECT_TRUE(kept(kMaxKeptElements + 1));
}

}  // namespace
