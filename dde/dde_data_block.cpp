#include "dde/dde_data_block.h"

#include <cstring>

DDEDataContent readDDEDataBlock(const unsigned char* block, std::size_t size) {
    DDEDataContent content;
    if (!block || size < kDDEDataHeaderSize) return content;
    content.readable = true;
    unsigned flags = block[0] | (static_cast<unsigned>(block[1]) << 8);
    content.ackRequested = (flags & kDDEAckReqFlag) != 0;
    content.release = (flags & kDDEReleaseFlag) != 0;
    const unsigned char* value = block + kDDEDataHeaderSize;
    std::size_t valueSize = size - kDDEDataHeaderSize;
    const void* nul = std::memchr(value, '\0', valueSize);
    std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - value) : valueSize;
    content.text.assign(reinterpret_cast<const char*>(value), length);
    return content;
}
