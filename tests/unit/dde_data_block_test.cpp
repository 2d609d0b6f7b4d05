#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dde/dde_data_block.h"

namespace {

std::vector<unsigned char> block(unsigned char flagsHigh, const std::string& value) {
    std::vector<unsigned char> bytes(kDDEDataHeaderSize + value.size());
    bytes[1] = flagsHigh;
    bytes[2] = CF_TEXT;
    for (std::size_t i = 0; i < value.size(); ++i)
        bytes[kDDEDataHeaderSize + i] = static_cast<unsigned char>(value[i]);
    return bytes;
}

TEST(DDEDataBlock, ABlockTooSmallForItsHeaderIsUnreadable) {
    std::vector<unsigned char> bytes = block(0xA0, "");
    for (std::size_t size = 0; size < kDDEDataHeaderSize; ++size)
        EXPECT_FALSE(readDDEDataBlock(bytes.data(), size).readable) << size;
    EXPECT_FALSE(readDDEDataBlock(nullptr, 100).readable);
    DDEDataContent headerOnly = readDDEDataBlock(bytes.data(), bytes.size());
    EXPECT_TRUE(headerOnly.readable);
    EXPECT_EQ(headerOnly.text, "");
}

TEST(DDEDataBlock, ReadsTheFlagsOfTheHighByte) {
    std::vector<unsigned char> bytes = block(0x80, "x");
    EXPECT_TRUE(readDDEDataBlock(bytes.data(), bytes.size()).ackRequested);
    EXPECT_FALSE(readDDEDataBlock(bytes.data(), bytes.size()).release);
    bytes = block(0x20, "x");
    EXPECT_FALSE(readDDEDataBlock(bytes.data(), bytes.size()).ackRequested);
    EXPECT_TRUE(readDDEDataBlock(bytes.data(), bytes.size()).release);
    bytes = block(0x50, "x");  // fResponse and a reserved bit: neither flag
    EXPECT_FALSE(readDDEDataBlock(bytes.data(), bytes.size()).ackRequested);
    EXPECT_FALSE(readDDEDataBlock(bytes.data(), bytes.size()).release);
}

TEST(DDEDataBlock, TheTextEndsAtItsNulOrAtTheEndOfTheBlock) {
    std::vector<unsigned char> bytes = block(0, std::string("\"u\",\"t\"\0after", 13));
    EXPECT_EQ(readDDEDataBlock(bytes.data(), bytes.size()).text, "\"u\",\"t\"");
    // Bytes after the block's size are not the block's, though readable here.
    bytes = block(0, "abcXYZ");
    EXPECT_EQ(readDDEDataBlock(bytes.data(), kDDEDataHeaderSize + 3).text, "abc");
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    bytes = block(0, all);
    EXPECT_EQ(readDDEDataBlock(bytes.data(), bytes.size()).text, all);
}

}  // namespace
