#pragma once
// A record sink that keeps what it is given, for tests of the code that writes records.

#include <string>

#include "util/record_sink.h"

namespace unit {

class MemorySink : public lookout::RecordSink {
public:
    void write(std::string bytes) override { content_ += bytes; }
    const std::string& content() const { return content_; }

private:
    std::string content_;
};

}  // namespace unit
