// The accessibility walk on in-process trees of hand-written objects that record the calls made
// on them and count their references.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "browser/chromium_tree.h"
#include "browser/msaa_tree.h"
#include "diag/debug_log.h"
#include "e2e/driver.h"
#include "programs/msaa_node.h"

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
    EXPECT_EQ(calls_, (Calls{"root.enum", "root.reset", "root.count", "root.next",
                             "bar.role",
                             "bar.enum", "bar.reset", "bar.count", "bar.next",
                             "combo.role", "combo.name", "combo.value",
                             "combo.enum", "combo.reset", "combo.count",
                             "combo.next", "combo.child(1)",
                             "combo.next", "combo.child(2)",
                             "edit.role", "edit.name", "edit.value"}));
}

// Current Firefox: no combo box matches, so the walk goes to its end; the text element below
// the first combo box is noted on the way. Only combo boxes and that element are asked for
// their name and value, each read being a call into the browser.
TEST_F(MsaaWalk, NotesTheFirstComboBoxsTextAndReadsTextsOnlyWhereTheyCanMatter) {
    Node& root = node("root");
    Node& toolbar = node("bar").role(kToolbar).name(L"Navigation");
    Node& urlCombo = node("combo").role(ROLE_SYSTEM_COMBOBOX).name(L"Search or enter address");
    urlCombo.add(text("edit", L"Search or enter address", L"example.org/now"))
        .add(text("later", L"Later", L"wrong: not the first text"));
    Node& search = node("search").role(ROLE_SYSTEM_COMBOBOX).name(L"Search");
    search.add(text("searchEdit", L"Search", L"wrong: not the first combo box"));
    toolbar.add(node("button").role(kPushButton).name(L"Back")).add(urlCombo).add(search);
    root.add(toolbar).add(text("field", L"Find", L"wrong"));

    FirstComboText first;
    WalkBounds bounds;
    EXPECT_EQ(walkFirefoxTree(&root, false, address_, bounds, &first), kWalkGoOn);
    EXPECT_EQ(address_, "");
    ASSERT_TRUE(first.found);
    EXPECT_EQ(first.value, "example.org/now");
    EXPECT_EQ(first.element.name, "Search or enter address");
    EXPECT_EQ(first.element.path, (std::vector<LONG>{0, 1, 0}));
    first = {};  // its kept object goes before the tear-down counts references
    EXPECT_EQ(callsOn("edit"), (Calls{"edit.role", "edit.name", "edit.value", "edit.enum",
                                      "edit.reset", "edit.count"}));
    EXPECT_EQ(callsOn("later"), (Calls{"later.role", "later.enum", "later.reset",
                                       "later.count"}));
    EXPECT_EQ(callsOn("search"), (Calls{"search.role", "search.name", "search.value",
                                        "search.enum", "search.reset", "search.count",
                                        "search.next"}));
    EXPECT_EQ(callsOn("searchEdit"), (Calls{"searchEdit.role", "searchEdit.enum",
                                            "searchEdit.reset", "searchEdit.count"}));
    EXPECT_EQ(callsOn("button"), (Calls{"button.role", "button.enum", "button.reset",
                                        "button.count"}));
    EXPECT_EQ(callsOn("field"), (Calls{"field.role", "field.enum", "field.reset",
                                       "field.count"}));
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
    EXPECT_EQ(callsOn("between"), (Calls{"between.role", "between.enum", "between.reset",
                                         "between.count"}));
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
    EXPECT_TRUE(callsOn("rootNext").empty());
    EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "outer.next"), 1);
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
    // Walked into as ordinary objects: their text children are descended into, not compared.
    EXPECT_EQ(callsOn("edit1"), (Calls{"edit1.role", "edit1.enum", "edit1.reset", "edit1.count"}));
}

TEST_F(MsaaWalk, ElementsWithoutAnObjectOfTheirOwnGetNoCalls) {
    Node& root = node("root");
    Node& notAccessible = node("dispatchOnly").dispatchOnly().role(ROLE_SYSTEM_COMBOBOX);
    Node& notAccessibleById = node("dispatchOnlyById").dispatchOnly();
    Node& last = node("last").role(kGrouping);
    root.addSimple().addOtherTag().add(notAccessible).addById(notAccessibleById).add(last);

    EXPECT_EQ(walk(root), kWalkGoOn);
    EXPECT_EQ(calls_, (Calls{"root.enum", "root.reset", "root.count",
                             "root.next", "root.child(1)",
                             "root.next",
                             "root.next",
                             "root.next", "root.child(4)",
                             "root.next", "last.role",
                             "last.enum", "last.reset", "last.count"}));
}

TEST_F(MsaaWalk, AFailingNextEndsTheWalkAtEveryLevelAndKeepsTheAddress) {
    Node& root = node("root");
    Node& urlCombo = combo("combo", L"http://kept/");
    Node& group = node("group").failNextAt(2);
    group.add(node("first")).add(node("unreached"));
    root.add(urlCombo).add(group).add(node("rootNext"));

    EXPECT_EQ(walk(root), kWalkStop);
    EXPECT_EQ(address_, "http://kept/");
    EXPECT_FALSE(callsOn("first").empty());
    EXPECT_TRUE(callsOn("unreached").empty());
    EXPECT_TRUE(callsOn("rootNext").empty());

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
    EXPECT_EQ(callsOn("negative"), (Calls{"negative.enum", "negative.reset", "negative.count"}));

    Node& countFails = node("countFails").failChildCount(E_ACCESSDENIED);
    countFails.add(node("unasked"));
    EXPECT_EQ(walk(countFails), E_ACCESSDENIED);
    Node& noEnum = node("noEnum").noEnumerator();
    EXPECT_EQ(walk(noEnum), E_NOINTERFACE);
    EXPECT_EQ(callsOn("noEnum"), (Calls{"noEnum.enum"}));
    EXPECT_TRUE(callsOn("unasked").empty());
}

TEST_F(MsaaWalk, TheLevelGivesTheLastDescentsResultAndAShortEnumeratorIsNoFailure) {
    // Three children promised, one given: the missing ones are skipped, the walk goes on.
    Node& root = node("root").reportChildCount(3);
    root.add(node("leaf").noEnumerator());
    EXPECT_EQ(walk(root), E_NOINTERFACE);
    EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "root.next"), 3);

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

// Trees that answer at once but never end: 2^31 - 1 children promised and none given, or a node
// whose children are itself. The depth limit does not end them; the call budget does.
TEST_F(MsaaWalk, ATreeThatNeverEndsStopsAtTheCallBudget) {
    Node& endless = node("endless").reportChildCount(0x7FFFFFFF);
    Node& self = node("self").role(kGrouping).reportChildCount(0x7FFFFFFF);
    self.add(self);
    for (Node* root : {&endless, &self}) {
        calls_.clear();
        address_ = "kept";
        WalkBounds bounds(1000, 60000);
        EXPECT_EQ(walkFirefoxTree(root, false, address_, bounds), kWalkStop) << root->label();
        EXPECT_LE(calls_.size(), 1000u) << root->label();
        EXPECT_EQ(address_, "kept");
    }
}

// The same tree where each look at the clock finds a millisecond more: the walk stops when its
// time is up, however few of its calls it has made.
TEST_F(MsaaWalk, ATreeThatNeverEndsStopsWhenItsTimeIsUp) {
    static ULONGLONG now;
    now = 0;
    Node& endless = node("endless").reportChildCount(0x7FFFFFFF);
    WalkBounds bounds(50000, 100, [] { return ++now; });
    EXPECT_EQ(walkFirefoxTree(&endless, false, address_, bounds), kWalkStop);
    EXPECT_EQ(now, 101u);
    EXPECT_FALSE(bounds.allow(0));
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

// Chromium-family trees: the address field is known by its shortcut, in any language, or else
// by being the first text element in a toolbar; never by anything inside a page.
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
    void TearDown() override {
        found_ = {};
        MsaaWalk::TearDown();
    }
    ChromiumAddress found_;
};

TEST_F(ChromiumTree, AShortcutEndingInLWinsElseTheFirstTextInAToolbar) {
    Node& root = node("root");
    Node& toolbar = node("bar").role(kToolbar);
    Node& location = node("location").role(kGrouping);
    location.add(text("address", L"Adress- und Suchleiste", L"beispiel.de/").shortcut(L"Strg+L"));
    toolbar.add(text("find", L"Find", L"wrong: shortcut Ctrl+F").shortcut(L"Ctrl+F")).add(location);
    root.add(page("page")).add(toolbar).add(text("later", L"Later", L"wrong").shortcut(L"Ctrl+L"));
    ASSERT_TRUE(find(root));
    EXPECT_EQ(found_.value, "beispiel.de/");
    EXPECT_EQ(found_.element.name, "Adress- und Suchleiste");
    EXPECT_EQ(found_.element.path, (std::vector<LONG>{1, 1, 0}));
    EXPECT_EQ(callsOn("page"), (Calls{"page.role"}));
    EXPECT_TRUE(callsOn("later").empty());

    // No shortcut anywhere outside the page: the first text element inside a toolbar, even empty.
    Node& brave = node("brave");
    Node& braveBar = node("braveBar").role(kToolbar);
    braveBar.add(node("group").role(kGrouping).add(text("empty", L"Address", L"")))
        .add(text("second", L"Second", L"wrong"));
    brave.add(text("outside", L"Outside", L"wrong: in no toolbar")).add(page("bravePage"));
    brave.add(braveBar);
    ASSERT_TRUE(find(brave));
    EXPECT_EQ(found_.element.name, "Address");
    EXPECT_EQ(found_.value, "");
    Node& bare = node("bare");
    EXPECT_FALSE(find(bare.add(text("lone", L"Lone", L"x")).add(page("barePage"))));
}

// The element found is read again through the object kept, else along its path; an element
// that no longer shows its signs is not taken.
TEST_F(ChromiumTree, TheElementFoundIsReadAgainUntilItChanges) {
    Node& root = node("root");
    Node& toolbar = node("bar").role(kToolbar);
    Node& address = text("address", L"Address and search bar", L"example.org").shortcut(L"Ctrl+L");
    root.add(page("page")).add(toolbar.add(node("reload").role(kPushButton)).addById(address));
    ASSERT_TRUE(find(root));
    auto noRoot = []() -> IAccessible* { return nullptr; };
    auto fromRoot = [&root]() -> IAccessible* { return &root; };

    calls_.clear();
    address.value(L"example.org/typed");
    EXPECT_EQ(readElementAgain(found_.element, noRoot), "example.org/typed");
    EXPECT_EQ(calls_, (Calls{"address.role", "address.name", "address.shortcut", "address.value"}));
    found_.element.object.reset();
    EXPECT_EQ(readElementAgain(found_.element, fromRoot), "example.org/typed");
    EXPECT_TRUE(found_.element.object);
    EXPECT_TRUE(callsOn("reload").empty()) << "skipped, not walked";

    address.name(L"Something else");
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

}  // namespace
