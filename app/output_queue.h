#pragma once
// Records for standard output, written by a thread of their own, so that a parent that reads
// slowly, or has stopped reading, never holds the monitor loop in a write to a full pipe.
// Records are queued whole, in order, and each is written whole. While the parent does not read,
// up to a limit of records wait for it; past that the oldest waiting records are dropped, whole,
// so that what the parent reads when it comes back ends with the present. A parent that has
// closed its end loses the records and nothing else.

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "util/record_sink.h"
#include "util/unique_handle.h"

constexpr std::size_t kQueuedRecordBytes = 16u << 20;

class OutputQueue : public lookout::RecordSink {
public:
    // Writes to `output`, which the caller keeps open, from a thread started with the first
    // record. Records waiting beyond `limitBytes` in all are dropped, oldest first.
    OutputQueue(HANDLE output, std::size_t limitBytes);
    // Ends the writer thread; any write it is in must be able to finish or fail.
    ~OutputQueue();
    OutputQueue(const OutputQueue&) = delete;
    OutputQueue& operator=(const OutputQueue&) = delete;

    // Hands one whole record to the writer and returns at once. Dropped once the queue is closed.
    void queue(std::string record);
    void write(std::string record) override { queue(std::move(record)); }
    // Waits until every record handed over has been written (or has failed), for as long as the
    // output takes bytes: only `idleMs` in which it takes none end the wait (a parent that
    // reads, however slowly, gets every record).
    bool drain(DWORD idleMs);
    // The same, and then lets no further record in. False when the wait ended first: a record is
    // still waiting or in a write, and the queue stays open.
    bool close(DWORD idleMs);
    // Records handed over that the writer has not taken yet.
    std::size_t waitingRecords();

private:
    static unsigned __stdcall writerThread(void* self);
    static void writeRecordsOf(void* self);
    void writeRecords();
    void writeWhole(const std::string& record);
    bool drainedWithin(DWORD idleMs, bool closeWhenDrained);

    HANDLE output_;
    const std::size_t limitBytes_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    std::deque<std::string> records_;
    std::size_t waitingBytes_ = 0;
    bool writing_ = false;  // a record has left the queue and is being written
    bool closed_ = false;
    bool stopping_ = false;
    bool direct_ = false;  // no writer thread could be had: the caller writes
    std::atomic<std::uint64_t> bytesWritten_{0};  // how far the output has taken the records
    lookout::unique_kernel_handle thread_;
};

// The queue of standard output, made on first use and never destroyed: its thread may still
// write while exit-time destructors run. The exit of the process waits a little for it.
OutputQueue& standardOutputQueue();
