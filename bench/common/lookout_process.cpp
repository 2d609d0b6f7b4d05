#include "common/lookout_process.h"

#include <chrono>

#include "common/clock.h"

namespace bench {

LookoutProcess::LookoutProcess(const std::vector<std::string>& args) {
    std::string exe = e2e::freshTempDir("bench") + "\\Lookout.exe";
    e2e::copyFileOrThrow(e2e::binPath("Lookout.exe"), exe);
    static int counter = 0;
    token_ = "--bench-token-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++counter) + "-" + std::to_string(GetTickCount());
    std::string commandLine = "\"" + exe + "\"";
    for (const std::string& arg : args) commandLine += " " + arg;
    commandLine += " " + token_;
    child_ = std::make_unique<e2e::ChildProcess>(commandLine, false);
    reader_ = std::thread([this] { readOutput(); });
}

LookoutProcess::~LookoutProcess() {
    if (child_->waitForExit(0) == STILL_ACTIVE) child_->kill();
    if (reader_.joinable()) reader_.join();
}

void LookoutProcess::readOutput() {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(child_->stdoutRead(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        double now = nowMs();
        std::lock_guard<std::mutex> lock(mutex_);
        stream_.feed(buffer, read, now);
        changed_.notify_all();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

bool LookoutProcess::waitForRecords(std::size_t count, DWORD deadlineMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(deadlineMs),
                      [&] { return stream_.records().size() >= count || closed_; });
    return stream_.records().size() >= count;
}

std::size_t LookoutProcess::recordCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stream_.records().size();
}

TimedRecord LookoutProcess::record(std::size_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stream_.records().at(index);
}

std::vector<TimedRecord> LookoutProcess::records() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stream_.records();
}

std::string LookoutProcess::pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stream_.pending();
}

DWORD LookoutProcess::stop(DWORD deadlineMs) {
    if (!e2e::sendCtrlC(child_->pid(), token_)) return STILL_ACTIVE;
    DWORD code = child_->waitForExit(deadlineMs);
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(deadlineMs), [&] { return closed_; });
    return code;
}

}  // namespace bench
