#pragma once
// Reads a DDEDATA block that another process sent: a 16-bit flag word, the 16-bit clipboard
// format, then the value. The block is untrusted, so nothing is read past its size.

#include <cstddef>
#include <string>

constexpr std::size_t kDDEDataHeaderSize = 4;
constexpr unsigned kDDEAckReqFlag = 0x8000;
constexpr unsigned kDDEReleaseFlag = 0x2000;

struct DDEDataContent {
    bool readable = false;  // false for a block too small for its header
    bool ackRequested = false;
    bool release = false;
    std::string text;  // the value up to its first NUL, or to the end of the block
};

DDEDataContent readDDEDataBlock(const unsigned char* block, std::size_t size);
