#include <gtest/gtest.h>

#include <string>

#include "util/record_text.h"

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

}  // namespace
