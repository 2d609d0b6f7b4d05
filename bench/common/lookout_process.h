#pragma once
// The real Lookout.exe as a parent runs it: standard output on a pipe, read all the time by a
// thread of its own that time-stamps every chunk and cuts it into records.

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/record_stream.h"
#include "e2e/driver.h"

namespace bench {

class LookoutProcess {
public:
    // Lookout.exe is copied into a fresh folder, so that a log it writes is this run's own.
    explicit LookoutProcess(const std::vector<std::string>& args = {});
    ~LookoutProcess();
    LookoutProcess(const LookoutProcess&) = delete;
    LookoutProcess& operator=(const LookoutProcess&) = delete;

    DWORD pid() const { return child_->pid(); }
    HANDLE process() const { return child_->process(); }
    // A word on Lookout's command line (Lookout ignores it) that finds its Linux process.
    const std::string& token() const { return token_; }

    // Waits until `count` records have arrived in all; false when the deadline passed first.
    bool waitForRecords(std::size_t count, DWORD deadlineMs);
    std::size_t recordCount() const;
    TimedRecord record(std::size_t index) const;
    std::vector<TimedRecord> records() const;
    std::string pending() const;  // bytes after the last whole record

    // Ctrl+C, then waits for the exit and the end of the output. The exit code, or STILL_ACTIVE.
    DWORD stop(DWORD deadlineMs = 10000);

private:
    void readOutput();

    std::string token_;
    std::unique_ptr<e2e::ChildProcess> child_;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    RecordStream stream_;
    bool closed_ = false;
};

}  // namespace bench
