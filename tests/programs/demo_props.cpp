#include "demo_props.h"

#include <stdexcept>

namespace demo {

DdeServer::DdeServer(const std::string& switches)
    : child_(std::make_unique<e2e::ChildProcess>(
          "\"" + e2e::binPath("dde_server.exe") + "\" " + switches, true)) {
    // The server says "ready ..." once its window can answer an initiate.
    std::string line;
    char c = 0;
    DWORD read = 0;
    while (ReadFile(child_->stdoutRead(), &c, 1, &read, nullptr) && read == 1 && c != '\n')
        line += c;
    if (line.rfind("ready ", 0) != 0) throw std::runtime_error("dde_server: " + line);
}

JavaApplication::JavaApplication(const std::string& command) {
    std::string exe = e2e::freshTempDir("demo-java") + "\\javaw.exe";
    e2e::copyFileOrThrow(e2e::binPath("testwin_ver.exe"), exe);
    windows_ = std::make_unique<e2e::TestWindows>(exe);

    char user[1024] = {}, temp[MAX_PATH] = {};
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
    folder_ = std::string(temp) + "\\hsperfdata_" + user;
    CreateDirectoryA(folder_.c_str(), nullptr);
    file_ = folder_ + "\\" + std::to_string(windows_->pid());
    // The key and its value as NUL-ended texts among other bytes of the file.
    using namespace std::string_literals;
    std::string bytes = "\x01\x02header\0sun.rt.javaCommand\0"s + command + "\0trailer"s;
    HANDLE file = CreateFileA(file_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + file_);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

JavaApplication::~JavaApplication() {
    DeleteFileA(file_.c_str());
    RemoveDirectoryA(folder_.c_str());  // only when no other file is left in it
}

}  // namespace demo
