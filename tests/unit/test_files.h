#pragma once
// Helpers for unit tests that write records or log lines into real files.

#include <cstdio>
#include <string>

#include "e2e/driver.h"

namespace unit {

// A binary temporary stream whose whole content can be read back.
class CapturedStream {
public:
    CapturedStream() : file_(std::tmpfile()) {}
    ~CapturedStream() {
        if (file_) std::fclose(file_);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* get() const { return file_; }
    std::string content() const {
        std::fflush(file_);
        long size = std::ftell(file_);
        std::string bytes(static_cast<std::size_t>(size), '\0');
        std::rewind(file_);
        std::size_t read = std::fread(&bytes[0], 1, bytes.size(), file_);
        bytes.resize(read);
        std::fseek(file_, 0, SEEK_END);
        return bytes;
    }

private:
    std::FILE* file_;
};

// A hidden top-level window of this process, destroyed with the object.
class OwnWindow {
public:
    OwnWindow(const std::string& className, const std::string& title);
    ~OwnWindow();
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND get() const { return window_; }
    void destroy();

private:
    HWND window_;
};

}  // namespace unit
