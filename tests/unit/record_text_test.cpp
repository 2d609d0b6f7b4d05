#include <gtest/gtest.h>

#include <string>

#include "util/record_text.h"
#include "util/utf8.h"

namespace {

// Texts that exist only in the ANSI code page (DDE replies, Java commands) in UTF-8 records, and
// record texts back in the code page for the debug log.
TEST(RecordText, AnsiBytesBecomeUtf8ForUtf8RecordsAndTheLogKeepsTheCodePage) {
    EXPECT_EQ(recordTextFromAnsi("caf\xe9 \x80"), "caf\xe9 \x80");
    setRecordEncoding(RecordEncoding::kUtf8);
    const std::string converted = recordTextFromAnsi("caf\xe9 \x80");
    const std::string logged = ansiFromRecordText("caf\xc3\xa9 \xe4\xb8\xad");
    setRecordEncoding(RecordEncoding::kAnsiCodePage);
    EXPECT_EQ(converted, "caf\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(logged, "caf\xe9 ?");
}

// A cut to a byte limit keeps whole characters only: a double-byte character of code page 932
// whose second byte would fall past the limit goes, a surrogate pair goes whole, and in UTF-8 a
// four-byte character goes whatever number of its bytes would fit.
TEST(RecordText, ACutKeepsWholeCharactersOnly) {
    const std::wstring hiragana(600, L'\x3042');  // two bytes each in code page 932
    EXPECT_EQ(codePageText(L"a" + hiragana, 932, 1023).size(), 1023u);
    const std::string even = codePageText(L"ab" + hiragana, 932, 1023);
    EXPECT_EQ(even.size(), 1022u);
    EXPECT_EQ(even.substr(even.size() - 2), "\x82\xa0");
    EXPECT_EQ(codePageText(L"abc\xD83D\xDE00", 1252, 4), "abc");
    EXPECT_EQ(codePageText(L"abc\xD83D\xDE00", 1252, 5), "abc??");

    const std::string emoji = "a\xF0\x9F\x98\x80" "b";
    for (std::size_t limit = 1; limit < 5; ++limit)
        EXPECT_EQ(lookout::utf8PrefixLength(emoji, limit), 1u) << limit;
    EXPECT_EQ(lookout::utf8PrefixLength(emoji, 5), 5u);
    EXPECT_EQ(lookout::utf8PrefixLength(emoji, 6), 6u);
}

// Paths go without the best fit that titles keep: a fullwidth "\" is no real one.
TEST(RecordText, PathsHaveNoLookAlikes) {
    EXPECT_EQ(codePageText(L"C\xFF1A\xFF3Cx \xE9", 1252, 100), "C:\\x \xe9");
    EXPECT_EQ(codePageText(L"C\xFF1A\xFF3Cx \xE9", 1252, 100, false), "C??x \xe9");
    EXPECT_EQ(recordPathText(L"C\xFF1A\xFF3Cx"), "C??x");
}

}  // namespace
