// Standard output's record queue, kept from the hostile-parent finding: a parent that stopped
// reading used to hold the monitor loop in a write to its full pipe for as long as it did not read.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/output_queue.h"
#include "e2e/driver.h"

namespace {

constexpr std::size_t kRecordSize = 100000;  // far more than the pipe holds

std::string record(char fill) { return std::string(kRecordSize, fill); }

class Pipe {
public:
    Pipe() { CreatePipe(&read_, &write_, nullptr, 4096); }
    ~Pipe() {
        closeRead();
        if (write_) CloseHandle(write_);
    }
    HANDLE write() const { return write_; }
    void closeRead() {
        if (read_) CloseHandle(read_);
        read_ = nullptr;
    }
    // Reads until `size` bytes have come; whatever came when the deadline passed.
    std::string readUpTo(std::size_t size, DWORD deadlineMs = e2e::kDefaultDeadlineMs) {
        std::string got;
        e2e::waitFor([&] {
            DWORD available = 0;
            if (!PeekNamedPipe(read_, nullptr, 0, nullptr, &available, nullptr)) return true;
            if (available > 0) {
                std::string chunk(available, '\0');
                DWORD read = 0;
                ReadFile(read_, &chunk[0], available, &read, nullptr);
                got.append(chunk, 0, read);
            }
            return got.size() >= size;
        }, deadlineMs);
        return got;
    }

private:
    HANDLE read_ = nullptr;
    HANDLE write_ = nullptr;
};

TEST(OutputQueueRegression, AParentThatStopsReadingHoldsNoCallerAndGetsTheNewestRecordsWhole) {
    Pipe pipe;
    OutputQueue queue(pipe.write(), 3 * kRecordSize);
    queue.queue(record('a'));
    // The writer has taken the first record and is stuck in writing it to the full pipe.
    ASSERT_TRUE(e2e::waitFor([&] { return queue.waitingRecords() == 0; }));

    const ULONGLONG start = GetTickCount64();
    for (char fill = 'b'; fill <= 'j'; ++fill) queue.queue(record(fill));
    EXPECT_LT(GetTickCount64() - start, 1000u) << "queueing waited for the parent";
    EXPECT_EQ(queue.waitingRecords(), 3u) << "only the newest records within the limit wait";
    EXPECT_FALSE(queue.drain(50));

    // The parent reads again: the record in the write, then the newest three, each whole.
    std::string got = pipe.readUpTo(4 * kRecordSize);
    EXPECT_TRUE(got == record('a') + record('h') + record('i') + record('j'))
        << got.size() << " bytes, beginning " << got.substr(0, 1) << ", ending " << got.back();
    EXPECT_TRUE(queue.drain(e2e::kDefaultDeadlineMs));
}

TEST(OutputQueueRegression, AClosedPipeLosesRecordsQuicklyAndAClosedQueueTakesNoMore) {
    Pipe pipe;
    OutputQueue queue(pipe.write(), 3 * kRecordSize);
    pipe.closeRead();
    for (char fill = 'a'; fill <= 'e'; ++fill) queue.queue(record(fill));
    EXPECT_TRUE(queue.close(e2e::kDefaultDeadlineMs)) << "failed writes must not hold the queue";
    queue.queue(record('z'));
    EXPECT_EQ(queue.waitingRecords(), 0u);
}

TEST(OutputQueueRegression, RecordsArriveInOrderWhileTheParentReads) {
    Pipe pipe;
    OutputQueue queue(pipe.write(), 3 * kRecordSize);
    std::string expected;
    for (int i = 0; i < 200; ++i) {
        std::string small = "app$" + std::to_string(i) + "$d$t$\n$";
        expected += small;
        queue.queue(small);
    }
    EXPECT_EQ(pipe.readUpTo(expected.size()), expected);
    EXPECT_TRUE(queue.close(e2e::kDefaultDeadlineMs));
}

}  // namespace
