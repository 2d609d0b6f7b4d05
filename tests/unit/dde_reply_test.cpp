#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "dde/dde_reply.h"

namespace {

std::pair<std::string, std::string> split(const std::string& reply) {
    std::string url = "stale url", title = "stale title";
    useFirstAndSecondPartOfDDEString(reply, url, title);
    return {url, title};
}

using Parts = std::pair<std::string, std::string>;

TEST(DDEReply, TakesTheFirstTwoQuotedFieldsAndIgnoresTheRest) {
    EXPECT_EQ(split(R"("one","two")"), Parts("one", "two"));
    EXPECT_EQ(split(R"("http://a.test/","Title","x","y")"), Parts("http://a.test/", "Title"));
    EXPECT_EQ(split(R"(junk "one" , "two" junk)"), Parts("one", "two"));
    EXPECT_EQ(split(R"("one")"), Parts("one", ""));
    EXPECT_EQ(split("no quote at all"), Parts("", ""));
    EXPECT_EQ(split(R"("","two")"), Parts("", "two")) << "an empty first field is still a field";
}

TEST(DDEReply, KeepsEscapesAsTheyStand) {
    EXPECT_EQ(split(R"("a\"b","t")"), Parts(R"(a\"b)", "t")) << "an escaped quote ends no field";
    EXPECT_EQ(split(R"("a\\","t")"), Parts(R"(a\\)", "t"))
        << "the second backslash is escaped, so the quote after it closes the field";
    EXPECT_EQ(split(R"(x\"y "u","t")"), Parts("u", "t"))
        << "an escaped quote before the first field opens nothing";
    EXPECT_EQ(split(R"("a\)"), Parts("", "")) << "a backslash as the last character";
}

TEST(DDEReply, AFieldThatDoesNotCloseLeavesThePositionWhereItWas) {
    for (const std::string& source : {std::string(R"(abc")"), std::string(R"(x "abc)")}) {
        std::size_t position = 0;
        EXPECT_EQ(getStringInQuotes(source, position), "") << source;
        EXPECT_EQ(position, 0u) << source;
        EXPECT_EQ(split(source), Parts("", "")) << "the title search starts from the same place";
    }
    EXPECT_EQ(split(R"("one","unclosed)"), Parts("one", ""));
}

}  // namespace
