#include "common/desktop.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace bench {

HWND createIeLikeWindow(e2e::TestWindows& windows, const std::string& title,
                        const std::string& url) {
    HWND frame = windows.create("IEFrame", title);
    HWND rebar = windows.createChild(frame, "ReBarWindow32", "");
    windows.createChild(rebar, "ToolbarWindow32", "Links");
    windows.createChild(rebar, "Edit", "http://links.example/");
    HWND band = windows.createChild(frame, "BenchAddressBand", "");
    windows.createChild(band, "ToolbarWindow32", "Address Combo Control");
    HWND combo = windows.createChild(band, "ComboBoxEx32", "");
    windows.createChild(combo, "Edit", url);
    return frame;
}

HWND createChromiumLikeWindow(e2e::TestWindows& windows, const std::string& title,
                              const std::string& url, const std::string& omniboxClass) {
    HWND frame = windows.create("Chrome_WidgetWin_1", title);
    HWND view = windows.createChild(frame, "BenchBrowserView", "");
    windows.createChild(view, "Chrome_RenderWidgetHostHWND", "Chrome Legacy Window");
    windows.createChild(view, omniboxClass, url);
    return frame;
}

bool bringToFront(HWND window, DWORD deadlineMs) {
    SetForegroundWindow(window);
    const ULONGLONG deadline = GetTickCount64() + deadlineMs;
    while (GetForegroundWindow() != window) {
        if (GetTickCount64() > deadline) return false;
        Sleep(1);
    }
    return true;
}

long topLevelWindowCount() {
    long count = 0;
    EnumWindows(
        [](HWND, LPARAM userValue) noexcept -> BOOL {
            ++*reinterpret_cast<long*>(userValue);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

JavaLikeProcess::JavaLikeProcess(const std::string& javaCommand) {
    std::string exe = e2e::freshTempDir("java") + "\\javaw.exe";
    e2e::copyFileOrThrow(e2e::binPath("testwin_ver.exe"), exe);
    windows_ = std::make_unique<e2e::TestWindows>(exe);
    perfDataPath_ = e2e::javaPerfDataFolder() + std::to_string(windows_->pid());
    // The file holds named values; the command is the text after the key, up to its NUL.
    const std::string data = std::string("\xCA\xFE\xC0\xC0\x01sun.rt.javaCommand", 23) +
                             std::string(1, '\0') + javaCommand + std::string(1, '\0');
    e2e::writeFileOrThrow(perfDataPath_, data);
}

JavaLikeProcess::~JavaLikeProcess() {
    windows_.reset();
    DeleteFileA(perfDataPath_.c_str());
    // The folder goes too when no other file is left in it.
    RemoveDirectoryA(perfDataPath_.substr(0, perfDataPath_.find_last_of('\\')).c_str());
}

DdeServerProcess::DdeServerProcess(const std::string& switches) {
    child_ = std::make_unique<e2e::ChildProcess>(
        "\"" + e2e::binPath("dde_server.exe") + "\" " + switches, true);
    // The first line is "ready <pid> <hwnd>"; it comes within a few hundred milliseconds.
    std::string line;
    const ULONGLONG deadline = GetTickCount64() + e2e::kDefaultDeadlineMs;
    while (line.find('\n') == std::string::npos) {
        DWORD available = 0;
        if (!PeekNamedPipe(child_->stdoutRead(), nullptr, 0, nullptr, &available, nullptr))
            throw std::runtime_error("dde server ended");
        if (available > 0) {
            char c = 0;
            DWORD read = 0;
            if (ReadFile(child_->stdoutRead(), &c, 1, &read, nullptr) && read == 1) line += c;
        } else if (GetTickCount64() > deadline) {
            throw std::runtime_error("dde server did not start");
        } else {
            Sleep(1);
        }
    }
    unsigned long pid = 0;
    unsigned long long window = 0;
    if (std::sscanf(line.c_str(), "ready %lu %llu", &pid, &window) != 2)
        throw std::runtime_error("dde server: " + line);
    window_ = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
    drain_ = std::thread([this] {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(child_->stdoutRead(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        }
    });
}

DdeServerProcess::~DdeServerProcess() {
    DWORD written = 0;
    WriteFile(child_->stdinWrite(), "quit\n", 5, &written, nullptr);
    if (child_->waitForExit(e2e::kDefaultDeadlineMs) == STILL_ACTIVE) child_->kill();
    drain_.join();  // the pipe ends with the process
}

}  // namespace bench
