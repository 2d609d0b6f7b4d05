#include <gtest/gtest.h>

#include <string>

#include "common/record_stream.h"

namespace {

const std::string kApp = "app$C:\\a.exe$Desc$Title$\n$";
const std::string kSite = "site$http://x/$Title$C:\\b.exe$\n$";

TEST(RecordStream, RecordsCutAnywhereGetTheTimeOfTheirLastByte) {
    bench::RecordStream stream;
    std::string bytes = kApp + kSite + "app$C:\\c";
    stream.feed(bytes.data(), 10, 1.0);
    EXPECT_TRUE(stream.records().empty());
    stream.feed(bytes.data() + 10, kApp.size() - 11, 2.0);
    EXPECT_TRUE(stream.records().empty()) << "the last \"$\" has not come yet";
    stream.feed(bytes.data() + kApp.size() - 1, bytes.size() - kApp.size() + 1, 3.0);
    ASSERT_EQ(stream.records().size(), 2u);
    EXPECT_EQ(stream.records()[0].text, kApp);
    EXPECT_EQ(stream.records()[0].receivedMs, 3.0);
    EXPECT_EQ(stream.records()[1].text, kSite);
    EXPECT_EQ(stream.pending(), "app$C:\\c");
}

TEST(RecordStream, ByteByByteGivesTheSameRecords) {
    bench::RecordStream stream;
    std::string bytes = kSite + kApp;
    for (std::size_t i = 0; i < bytes.size(); ++i) stream.feed(&bytes[i], 1, static_cast<double>(i));
    ASSERT_EQ(stream.records().size(), 2u);
    EXPECT_EQ(stream.records()[0].text, kSite);
    EXPECT_EQ(stream.records()[0].receivedMs, static_cast<double>(kSite.size() - 1));
    EXPECT_EQ(stream.records()[1].text, kApp);
    EXPECT_TRUE(stream.pending().empty());
}

TEST(IsWellFormedRecord, AcceptsBothKindsWithAnyFieldBytes) {
    EXPECT_TRUE(bench::isWellFormedRecord(kApp));
    EXPECT_TRUE(bench::isWellFormedRecord(kSite));
    EXPECT_TRUE(bench::isWellFormedRecord("app$$$$\n$")) << "empty fields";
    EXPECT_TRUE(bench::isWellFormedRecord("app$a\nb$\r$\xff$\n$")) << "line feeds inside fields";
}

TEST(IsWellFormedRecord, RejectsWhatAParentCouldNotParse) {
    EXPECT_FALSE(bench::isWellFormedRecord(""));
    EXPECT_FALSE(bench::isWellFormedRecord("App$a$b$c$\n$")) << "unknown kind";
    EXPECT_FALSE(bench::isWellFormedRecord("app$a$b$c$\r\n$")) << "CR LF";
    EXPECT_FALSE(bench::isWellFormedRecord("app$a$b$c$d$\n$")) << "a field too many";
    EXPECT_FALSE(bench::isWellFormedRecord("app$a$b$\n$")) << "a field too few";
    EXPECT_FALSE(bench::isWellFormedRecord("app$a$b$c$\n")) << "the closing \"$\" missing";
    EXPECT_FALSE(bench::isWellFormedRecord(std::string("app$a\0b$b$c$\n$", 13))) << "NUL";
}

TEST(RecordItems, SplitsAtEveryDollar) {
    EXPECT_EQ(bench::recordItems(kSite),
              (std::vector<std::string>{"site", "http://x/", "Title", "C:\\b.exe", "\n"}));
}

}  // namespace
