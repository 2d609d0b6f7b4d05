#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/process_probe.h"
#include "util/unique_handle.h"

namespace {

TEST(CpuTicksFromStat, AddsUserAndSystemTimeAfterANameWithBlanksAndParentheses) {
    const std::string stat =
        "4242 (a (b) c.exe) S 1 4242 4242 0 -1 4194560 900 0 0 0 173 27 0 0 20 0 5 0 100 "
        "1000 500 18446744073709551615";
    EXPECT_EQ(bench::cpuTicksFromStat(stat), 200);
    EXPECT_EQ(bench::cpuTicksFromStat("4242 (x) S 1 2"), -1);
    EXPECT_EQ(bench::cpuTicksFromStat(""), -1);
}

TEST(HandleCountOf, FollowsTheHandlesThisProcessOpens) {
    long before = bench::handleCountOf(GetCurrentProcessId());
    ASSERT_GT(before, 0);
    std::vector<lookout::unique_kernel_handle> events;
    for (int i = 0; i < 25; ++i) events.emplace_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(bench::handleCountOf(GetCurrentProcessId()), before + 25);
    events.clear();
    EXPECT_EQ(bench::handleCountOf(GetCurrentProcessId()), before);
}

TEST(WindowCountOf, CountsMessageOnlyWindowsToo) {
    long before = bench::windowCountOf(GetCurrentProcessId());
    HWND window = CreateWindowExA(0, "STATIC", "probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(bench::windowCountOf(GetCurrentProcessId()), before + 1);
    DestroyWindow(window);
    EXPECT_EQ(bench::windowCountOf(GetCurrentProcessId()), before);
}

TEST(AtomReferences, FollowEveryAddAndDelete) {
    const std::string name = "bench-atom-" + std::to_string(GetCurrentProcessId());
    auto before = bench::globalAtoms();
    EXPECT_EQ(bench::atomReferences(name), 0);
    ATOM atom = GlobalAddAtomA(name.c_str());
    for (int i = 0; i < 2; ++i) GlobalAddAtomA(name.c_str());
    EXPECT_EQ(bench::atomReferences(name), 3);
    auto after = bench::globalAtoms();
    ASSERT_EQ(after.count(atom), 1u);
    EXPECT_EQ(after[atom].name, name);
    EXPECT_EQ(after[atom].references, 3);
    GlobalDeleteAtom(atom);
    EXPECT_EQ(bench::atomReferences(name), 2);
    for (int i = 0; i < 2; ++i) GlobalDeleteAtom(atom);
    EXPECT_EQ(bench::atomReferences(name), 0);
    EXPECT_EQ(GlobalFindAtomA(name.c_str()), 0);

    std::string names;
    EXPECT_EQ(bench::atomReferencesAdded(before, after, names), 3);
    EXPECT_EQ(names, name + "(+3)");
}

TEST(AtomReferencesAdded, CountsNewAtomsAndNewReferencesButNotFewerOnes) {
    std::map<unsigned, bench::AtomEntry> before = {
        {0xC001, {"kept", 2}}, {0xC002, {"grew", 1}}, {0xC003, {"shrank", 4}}, {0xC004, {"gone", 1}}};
    std::map<unsigned, bench::AtomEntry> after = {
        {0xC001, {"kept", 2}}, {0xC002, {"grew", 3}}, {0xC003, {"shrank", 1}}, {0xC005, {"new", 2}},
        {0xC004 + 0x10, {"moved", 1}}};
    std::string names;
    EXPECT_EQ(bench::atomReferencesAdded(before, after, names), 5);
    EXPECT_EQ(names, "grew(+2) new(+2) moved(+1)");
    after[0xC006] = {"reused value", 1};
    before[0xC006] = {"other name", 7};
    EXPECT_EQ(bench::atomReferencesAdded(before, after, names), 6) << "a value reused for a new name";
}

}  // namespace
