#include <gtest/gtest.h>

#include <windows.h>

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

TEST(AtomReferences, CountsEveryAddAndLeavesThemInPlace) {
    const std::string name = "bench-atom-" + std::to_string(GetCurrentProcessId());
    EXPECT_EQ(bench::atomReferences(name), 0);
    for (int i = 0; i < 3; ++i) GlobalAddAtomA(name.c_str());
    EXPECT_EQ(bench::atomReferences(name), 3);
    EXPECT_EQ(bench::atomReferences(name), 3) << "counting gave every reference back";
    EXPECT_EQ(bench::globalAtoms().count(GlobalFindAtomA(name.c_str())), 1u);
    for (int i = 0; i < 3; ++i) GlobalDeleteAtom(GlobalFindAtomA(name.c_str()));
    EXPECT_EQ(GlobalFindAtomA(name.c_str()), 0);
}

}  // namespace
