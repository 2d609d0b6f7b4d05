#include <gtest/gtest.h>

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

}  // namespace
