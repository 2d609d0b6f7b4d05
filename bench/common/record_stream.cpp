#include "common/record_stream.h"

#include <cstring>

#include "e2e/driver.h"

namespace bench {

namespace {

constexpr int kItemsPerRecord = 5;

}  // namespace

std::vector<std::string> recordItems(const std::string& record) { return e2e::recordItems(record); }

bool isWellFormedRecord(const std::string& record) {
    if (record.empty() || record.back() != '$') return false;
    std::vector<std::string> items = recordItems(record);
    if (items.size() != kItemsPerRecord) return false;
    if (items[0] != "app" && items[0] != "site") return false;
    for (int field = 1; field <= 3; ++field)
        if (items[field].find('\0') != std::string::npos) return false;
    return items[4] == "\n";
}

void RecordStream::feed(const char* data, std::size_t size, double receivedMs) {
    const char* end = data + size;
    while (data < end) {
        const char* dollar = static_cast<const char*>(std::memchr(data, '$', end - data));
        if (!dollar) {
            current_.append(data, end);
            return;
        }
        current_.append(data, dollar + 1);
        data = dollar + 1;
        if (++dollars_ == kItemsPerRecord) {
            records_.push_back({std::move(current_), receivedMs});
            current_.clear();
            dollars_ = 0;
        }
    }
}

}  // namespace bench
