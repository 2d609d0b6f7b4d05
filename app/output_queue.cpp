#include "app/output_queue.h"

#include <io.h>
#include <process.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "diag/debug_log.h"
#include "diag/thread_guard.h"

namespace {

// How long the exit of the process waits for a pipe that takes no byte of the records still
// queued (after a crash, say).
constexpr DWORD kExitDrainMs = 1000;

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

// Each write is at most this much, so that the waits at a stop see the pipe take bytes while a
// slow parent reads even a long record.
constexpr std::size_t kWriteChunkBytes = 4096;

void drainStandardOutputAtExit() { standardOutputQueue().drain(kExitDrainMs); }

}  // namespace

OutputQueue::OutputQueue(HANDLE output, std::size_t limitBytes)
    : output_(output), limitBytes_(limitBytes) {}

OutputQueue::~OutputQueue() {
    if (!thread_) return;
    {
        ExclusiveLock hold(lock_);
        stopping_ = true;
        WakeAllConditionVariable(&changed_);
    }
    WaitForSingleObject(thread_.get(), INFINITE);
}

unsigned __stdcall OutputQueue::writerThread(void* self) {
    // A fault leaves the queue in a state nobody can trust, and no further record would reach
    // the parent: the program ends.
    runGuarded(writeRecordsOf, self, ThreadFault::EndsProgram);
    return 0;
}

void OutputQueue::writeRecordsOf(void* self) { static_cast<OutputQueue*>(self)->writeRecords(); }

void OutputQueue::writeRecords() {
    for (;;) {
        std::string record;
        {
            ExclusiveLock hold(lock_);
            writing_ = false;
            while (records_.empty() && !stopping_)
                SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
            if (stopping_) return;
            record = std::move(records_.front());
            records_.pop_front();
            waitingBytes_ -= record.size();
            writing_ = true;
        }
        writeWhole(record);
    }
}

// A pipe in blocking mode takes each piece whole, or fails.
void OutputQueue::writeWhole(const std::string& record) {
    std::size_t done = 0;
    while (done < record.size()) {
        const auto piece = static_cast<DWORD>(std::min(record.size() - done, kWriteChunkBytes));
        DWORD written = 0;
        if (!WriteFile(output_, record.data() + done, piece, &written, nullptr) || written == 0) {
            logMessage("Error %u: a record could not be written to standard output",
                       static_cast<unsigned>(GetLastError()));
            return;
        }
        done += written;
        bytesWritten_ += written;
    }
}

void OutputQueue::queue(std::string record) {
    unsigned dropped = 0;
    {
        ExclusiveLock hold(lock_);
        if (closed_) return;
        if (!thread_ && !direct_) {
            thread_.reset(reinterpret_cast<HANDLE>(
                _beginthreadex(nullptr, 0, writerThread, this, 0, nullptr)));
            direct_ = !thread_;
        }
        if (direct_) {
            writeWhole(record);
            return;
        }
        while (!records_.empty() && waitingBytes_ + record.size() > limitBytes_) {
            waitingBytes_ -= records_.front().size();
            records_.pop_front();
            ++dropped;
        }
        waitingBytes_ += record.size();
        records_.push_back(std::move(record));
        WakeAllConditionVariable(&changed_);
    }
    if (dropped)
        logMessage("Standard output is not being read: %u waiting records dropped", dropped);
}

bool OutputQueue::drainedWithin(DWORD idleMs, bool closeWhenDrained) {
    std::uint64_t written = bytesWritten_;
    ULONGLONG lastProgress = GetTickCount64();
    // Polled rather than waited for: the caller may be a signal handler that interrupted the
    // monitor thread, and must never wait for ever on a lock or on a writer stuck on a full pipe.
    for (;;) {
        if (TryAcquireSRWLockExclusive(&lock_)) {
            const bool drained = records_.empty() && !writing_;
            if (drained && closeWhenDrained) closed_ = true;
            ReleaseSRWLockExclusive(&lock_);
            if (drained) return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (bytesWritten_ != written) {
            written = bytesWritten_;
            lastProgress = now;
        } else if (now - lastProgress >= idleMs) {
            return false;
        }
        Sleep(1);
    }
}

bool OutputQueue::drain(DWORD idleMs) { return drainedWithin(idleMs, false); }

bool OutputQueue::close(DWORD idleMs) { return drainedWithin(idleMs, true); }

std::size_t OutputQueue::waitingRecords() {
    ExclusiveLock hold(lock_);
    return records_.size();
}

OutputQueue& standardOutputQueue() {
    static OutputQueue* queue = [] {
        // Written past the run-time's stream, whose lock a writer stuck on a full pipe would
        // hold, so that the exit of the process never waits on it.
        auto* made = new OutputQueue(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout))),
                                     kQueuedRecordBytes);
        std::atexit(drainStandardOutputAtExit);
        return made;
    }();
    return *queue;
}
