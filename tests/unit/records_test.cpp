#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "app/records.h"
#include "unit/memory_sink.h"

namespace {

TEST(RecordFormat, EscapeReplacesEveryDollarAndNothingElse) {
    EXPECT_EQ(escapeField("a$b"), "aSb");
    EXPECT_EQ(escapeField("$$x$"), "SSxS");
    EXPECT_EQ(escapeField("Sale S5"), "Sale S5");
    std::string everyByte;
    for (int c = 1; c < 256; ++c)
        if (c != '$') everyByte += static_cast<char>(c);
    EXPECT_EQ(escapeField(everyByte), everyByte);
}

TEST(RecordFormat, AppRecordBytesFollowTheWorkedExample) {
    unit::MemorySink out;
    AppRecord app{"C:\\Windows\\notepad.exe", "Notepad", "Price $5 - Notepad"};
    SendAppRecord(app, out);
    EXPECT_EQ(out.content(), "app$C:\\Windows\\notepad.exe$Notepad$Price S5 - Notepad$\n$");
    EXPECT_EQ(app.title, "Price $5 - Notepad") << "the caller's record must not be changed";
}

TEST(RecordFormat, EmptyFieldsAndConsecutiveRecords) {
    unit::MemorySink out;
    SendAppRecord({"C:\\a.exe", "-", ""}, out);
    SendAppRecord({"Desktop", "Desktop", "Program Manager"}, out);
    EXPECT_EQ(out.content(), "app$C:\\a.exe$-$$\n$app$Desktop$Desktop$Program Manager$\n$");
}

TEST(RecordFormat, SiteRecordCarriesTheModulePathLast) {
    unit::MemorySink out;
    AppRecord app{"C:\\Browser\\browser.exe", "A Browser", "Shop $ - Browser"};
    SiteRecord site{"http://example.test/?q=$1", "Shop $ - Browser"};
    SendSiteRecord(app, site, out);
    EXPECT_EQ(out.content(),
              "site$http://example.test/?q=S1$Shop S - Browser$C:\\Browser\\browser.exe$\n$");
}

TEST(RecordFormat, LineFeedsInFieldsStayBareAndNoCarriageReturnIsAdded) {
    unit::MemorySink out;
    SendAppRecord({"p", "d", "two\nlines"}, out);
    EXPECT_EQ(out.content(), "app$p$d$two\nlines$\n$");
    EXPECT_EQ(out.content().find('\r'), std::string::npos);
}

TEST(RecordTime, IsUtcIso8601WithMillisecondsCutNotRounded) {
    // 100 ns units since 1601-01-01 UTC: leap days every fourth year, not in 2100, in 2000.
    const std::pair<std::uint64_t, const char*> times[] = {
        {0, "1601-01-01T00:00:00.000Z"},
        {134412985871250000, "2026-12-09T14:03:07.125Z"},
        {134432351999999999, "2026-12-31T23:59:59.999Z"},
        {134432352000000000, "2027-01-01T00:00:00.000Z"},
        {133536816000010000, "2024-02-29T12:00:00.001Z"},
        {125962560000000000, "2000-02-29T00:00:00.000Z"},
        {157520160000000000 - 864000000000, "2100-02-28T00:00:00.000Z"},
        {157520160000000000, "2100-03-01T00:00:00.000Z"},
        {116444735999990000, "1969-12-31T23:59:59.999Z"}};
    for (const auto& [time, text] : times) EXPECT_EQ(formatRecordTime(time), text) << time;
}

TEST(RecordTime, FollowsTheThreeFieldsAsAnItemOfItsOwn) {
    AppRecord app{"C:\\a.exe", "-", "T$"};
    app.seenAt = 134412985871250000;
    EXPECT_EQ(formatAppRecord(app, true), "app$C:\\a.exe$-$TS$2026-12-09T14:03:07.125Z$\n$");
    EXPECT_EQ(formatSiteRecord(app, {"http://x.test/", ""}, true),
              "site$http://x.test/$$C:\\a.exe$2026-12-09T14:03:07.125Z$\n$");
    EXPECT_EQ(formatAppRecord(app), "app$C:\\a.exe$-$TS$\n$");
}

}  // namespace
