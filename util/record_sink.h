#pragma once
// Where whole records go: standard output's writer in the program, memory in tests. Everything
// that reaches the parent passes through one sink, so its order is the order of the calls.

#include <string>

namespace lookout {

class RecordSink {
public:
    // Takes the bytes of one whole record, or of one diagnostic line, and returns without
    // waiting for the parent to read them.
    virtual void write(std::string bytes) = 0;

protected:
    ~RecordSink() = default;
};

}  // namespace lookout
