// Replies kept from hardening the reply parser against what a DDE server may send.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "dde/dde_reply.h"

namespace {

// A reply that is nearly all escapes: each escape used to start a new search for the quote from
// its own place, so the split took time in the square of the reply's length (about 35 s for this
// one) and held the monitor loop meanwhile.
TEST(DDEReplyRegression, AReplyOfManyEscapesIsSplitInOnePass) {
    const std::size_t escapes = 4 << 20;
    const std::string field = std::string(escapes, '\\') + "x";
    const std::string reply = "\"" + field + "\",\"t\"";
    std::string url, title;
    const ULONGLONG start = GetTickCount64();
    useFirstAndSecondPartOfDDEString(reply, url, title);
    EXPECT_LT(GetTickCount64() - start, 2000u);
    EXPECT_EQ(url, field);
    EXPECT_EQ(title, "t");
}

}  // namespace
