#pragma once
// Lookout's output cut into records as the bytes arrive, each with the time its last byte came.

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

struct TimedRecord {
    std::string text;  // kind, three fields and the line feed item, each with its "$"
    double receivedMs = 0;
};

// The five items of a record, without their "$". Fewer when the text holds fewer "$".
std::vector<std::string> recordItems(const std::string& record);

// Whether `record` is exactly one record as the parent expects it: "app" or "site", three
// fields without NUL bytes, and a line feed alone as the fifth item.
bool isWellFormedRecord(const std::string& record);

class RecordStream {
public:
    // Appends a chunk read from the pipe at `receivedMs`; every record it completes gets that time.
    void feed(const char* data, std::size_t size, double receivedMs);
    const std::vector<TimedRecord>& records() const { return records_; }
    // The bytes of a record not complete yet.
    const std::string& pending() const { return current_; }

private:
    std::vector<TimedRecord> records_;
    std::string current_;
    int dollars_ = 0;
};

}  // namespace bench
