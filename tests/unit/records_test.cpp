#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

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

// 100 ns units since 1601-01-01 UTC of a UTC date and time.
std::uint64_t fileTime(int year, int month, int day, int hour, int minute, int second,
                       int millisecond, int hundredsOfNanoseconds = 0) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    time.wMilliseconds = static_cast<WORD>(millisecond);
    FILETIME file = {};
    SystemTimeToFileTime(&time, &file);
    return ((static_cast<std::uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime) +
           static_cast<std::uint64_t>(hundredsOfNanoseconds);
}

TEST(RecordTime, IsUtcIso8601WithMillisecondsCutNotRounded) {
    EXPECT_EQ(formatRecordTime(0), "1601-01-01T00:00:00.000Z");
    EXPECT_EQ(formatRecordTime(fileTime(2026, 12, 9, 14, 3, 7, 125)), "2026-12-09T14:03:07.125Z");
    EXPECT_EQ(formatRecordTime(fileTime(2026, 12, 31, 23, 59, 59, 999, 9999)),
              "2026-12-31T23:59:59.999Z");
    EXPECT_EQ(formatRecordTime(fileTime(2027, 1, 1, 0, 0, 0, 0)), "2027-01-01T00:00:00.000Z");
    // Leap days: every fourth year, not in a century year, but in every fourth century.
    EXPECT_EQ(formatRecordTime(fileTime(2024, 2, 29, 12, 0, 0, 1)), "2024-02-29T12:00:00.001Z");
    EXPECT_EQ(formatRecordTime(fileTime(2000, 2, 29, 0, 0, 0, 0)), "2000-02-29T00:00:00.000Z");
    EXPECT_EQ(formatRecordTime(fileTime(2100, 2, 28, 0, 0, 0, 0) + 864000000000ull),
              "2100-03-01T00:00:00.000Z");
    EXPECT_EQ(formatRecordTime(fileTime(1970, 1, 1, 0, 0, 0, 0) - 10000),
              "1969-12-31T23:59:59.999Z");
    // The clock the records use agrees with the system's idea of now.
    SYSTEMTIME now;
    GetSystemTime(&now);
    EXPECT_EQ(formatRecordTime(recordTimeNow()).substr(0, 10),
              formatRecordTime(fileTime(now.wYear, now.wMonth, now.wDay, 0, 0, 0, 0)).substr(0, 10));
}

TEST(RecordTime, FollowsTheThreeFieldsAsAnItemOfItsOwn) {
    AppRecord app{"C:\\a.exe", "-", "T$"};
    app.seenAt = fileTime(2026, 12, 9, 14, 3, 7, 125);
    SiteRecord site{"http://x.test/", ""};
    EXPECT_EQ(formatAppRecord(app, true), "app$C:\\a.exe$-$TS$2026-12-09T14:03:07.125Z$\n$");
    EXPECT_EQ(formatSiteRecord(app, site, true),
              "site$http://x.test/$$C:\\a.exe$2026-12-09T14:03:07.125Z$\n$");
    EXPECT_EQ(formatAppRecord(app), "app$C:\\a.exe$-$TS$\n$");
}

}  // namespace
