#include <gtest/gtest.h>

#include <string>

#include "dde/dde_servers_list.h"

namespace {

HWND fakeWindow(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

std::string replyOf(DDEServersList& list, HWND server) {
    std::string reply = "stale";
    list.getBrowserUrlInfo(server, reply);
    return reply;
}

TEST(DDEServersList, KeepsTheLastReplyOfEachServer) {
    DDEServersList list;
    list.onDataRecv(fakeWindow(0x10), "first");
    list.onDataRecv(fakeWindow(0x10), "second");
    list.onDataRecv(fakeWindow(0x20), "other");
    EXPECT_EQ(replyOf(list, fakeWindow(0x10)), "second");
    EXPECT_EQ(replyOf(list, fakeWindow(0x20)), "other");
    EXPECT_EQ(replyOf(list, fakeWindow(0x30)), "") << "a server that never replied";
}

TEST(DDEServersList, OnceClosedItStoresNothingAndAnswersNothing) {
    // What both threads meet while the program exits and the list is destroyed.
    DDEServersList list;
    list.onDataRecv(fakeWindow(0x10), "before");
    list.close();
    list.onDataRecv(fakeWindow(0x10), "after");
    list.onDDEAck(fakeWindow(0x10));
    EXPECT_EQ(replyOf(list, fakeWindow(0x10)), "");
    std::string reply = "stale";
    DWORD start = GetTickCount();
    list.sendDDERequest(nullptr, fakeWindow(0x99), "LookoutNoSuchApplication", reply);
    EXPECT_EQ(reply, "");
    EXPECT_LT(GetTickCount() - start, 500u) << "no broadcast, no wait";
    list.terminateAllDDE(nullptr);
}

}  // namespace
