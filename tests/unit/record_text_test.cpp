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

// A cut to a byte limit keeps whole characters only: a surrogate pair goes whole, and in UTF-8
// a four-byte character goes whatever number of its bytes would fit. (A double-byte character
// of code page 932 is cut in a Japanese system's scenario.)
TEST(RecordText, ACutKeepsWholeCharactersOnly) {
    EXPECT_EQ(codePageText(L"abc\xD83D\xDE00", 1252, 4), "abc");
    EXPECT_EQ(codePageText(L"abc\xD83D\xDE00", 1252, 5), "abc??");
    const std::string emoji = "a\xF0\x9F\x98\x80" "b";
    for (std::size_t limit = 1; limit < 5; ++limit)
        EXPECT_EQ(lookout::utf8PrefixLength(emoji, limit), 1u) << limit;
    EXPECT_EQ(lookout::utf8PrefixLength(emoji, 5), 5u);
    EXPECT_EQ(lookout::utf8PrefixLength(emoji, 6), 6u);
}

}  // namespace
