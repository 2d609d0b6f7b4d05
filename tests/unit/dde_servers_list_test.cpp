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

TEST(DDEServersList, OnceClosedItStoresNothingAndAnswersNothing) {
    // What both threads meet while the program exits and the list is destroyed.
    DDEServersList list;
    list.onDataRecv(fakeWindow(0x10), "before");
    list.close();
    list.onDataRecv(fakeWindow(0x10), "after");
    EXPECT_EQ(list.onDDEAck(fakeWindow(0x10), 0, true), DDEAckKind::Unrelated);
    EXPECT_EQ(replyOf(list, fakeWindow(0x10)), "");
    std::string reply = "stale";
    list.sendDDERequest(nullptr, fakeWindow(0x99), "LookoutNoSuchApplication", reply);
    EXPECT_EQ(reply, "");
    list.terminateAllDDE(nullptr);
}

TEST(DDEServersList, RepliesThatNoRequestWaitsForAreNotKept) {
    // Any process can post data to the DDE window under any sender handle.
    DDEServersList list;
    list.onDataRecv(fakeWindow(0x10), "unrequested");
    EXPECT_EQ(replyOf(list, fakeWindow(0x10)), "");
}

}  // namespace
