#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "diag/crash_dump.h"
#include "diag/crash_guard.h"

namespace {

TEST(DumpFileName, HoldsLocalTimeProcessAndThread) {
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 7;
    time.wHour = 14;
    time.wMinute = 3;
    time.wSecond = 9;
    EXPECT_EQ(dumpFileName("C:\\Users\\user1\\Documents\\dumps", time, 4242, 5128),
              "C:\\Users\\user1\\Documents\\dumps\\dump-20261207-140309-4242-5128.dmp");
}

TEST(DumpFileName, ALongFolderIsCutTo259Characters) {
    SYSTEMTIME time = {};
    std::string name = dumpFileName(std::string(300, 'f'), time, 1, 2);
    EXPECT_EQ(name, std::string(259, 'f'));
}

// The guard with a filter that only records what it saw, so no dump is written.
DWORD seenCode = 0;
int filterCalls = 0;
LONG recordingFilter(EXCEPTION_POINTERS* info) {
    ++filterCalls;
    seenCode = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
    return EXCEPTION_EXECUTE_HANDLER;
}

TEST(CrashGuard, ABodyThatReturnsIsNoFault) {
    filterCalls = 0;
    EXPECT_FALSE(runUnderCrashGuard([] {}, recordingFilter));
    EXPECT_EQ(filterCalls, 0);
}

TEST(CrashGuard, StructuredAndCppExceptionsReachTheFilterOnce) {
    filterCalls = 0;
    EXPECT_TRUE(runUnderCrashGuard([] { RaiseException(0xE0001234, 0, 0, nullptr); },
                                   recordingFilter));
    EXPECT_EQ(seenCode, 0xE0001234u);
    EXPECT_EQ(filterCalls, 1);
    EXPECT_TRUE(runUnderCrashGuard([] { throw 42; }, recordingFilter));
    EXPECT_EQ(seenCode, kCppExceptionCode);
    EXPECT_EQ(filterCalls, 2);
    // The guard can be used again after a fault.
    EXPECT_FALSE(runUnderCrashGuard([] {}, recordingFilter));
    EXPECT_EQ(filterCalls, 2);
}

TEST(CrashGuard, AnExceptionCaughtInsideTheBodyNeverReachesTheFilter) {
    filterCalls = 0;
    EXPECT_FALSE(runUnderCrashGuard(
        [] {
            try {
                throw 1;
            } catch (int) {
            }
        },
        recordingFilter));
    EXPECT_EQ(filterCalls, 0);
}

// The thread each side's filter ran on.
DWORD filterThread[2] = {};
template <int Side>
LONG sideFilter(EXCEPTION_POINTERS*) {
    filterThread[Side] = GetCurrentThreadId();
    return EXCEPTION_EXECUTE_HANDLER;
}

TEST(CrashGuard, GuardsOnTwoThreadsAtOnceEachRunTheirOwnFilter) {
    std::atomic<int> inside{0};
    auto body = [](void* context) {
        auto& guarded = *static_cast<std::atomic<int>*>(context);
        ++guarded;
        while (guarded < 2) Sleep(1);  // both guards are active before either faults
        RaiseException(0xE0000001, 0, 0, nullptr);
    };
    DWORD thread[2] = {};
    std::thread one([&] {
        thread[0] = GetCurrentThreadId();
        EXPECT_TRUE(runUnderCrashGuard(body, &inside, sideFilter<0>));
    });
    std::thread two([&] {
        thread[1] = GetCurrentThreadId();
        EXPECT_TRUE(runUnderCrashGuard(body, &inside, sideFilter<1>));
    });
    one.join();
    two.join();
    EXPECT_EQ(filterThread[0], thread[0]);
    EXPECT_EQ(filterThread[1], thread[1]);
}

}  // namespace
