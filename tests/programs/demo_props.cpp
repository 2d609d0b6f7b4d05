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

    folder_ = e2e::javaPerfDataFolder();
    file_ = folder_ + std::to_string(windows_->pid());
    // The key and its value as NUL-ended texts among other bytes of the file.
    using namespace std::string_literals;
    std::string bytes = "\x01\x02header\0sun.rt.javaCommand\0"s + command + "\0trailer"s;
    e2e::writeFileOrThrow(file_, bytes);
}

JavaApplication::~JavaApplication() {
    DeleteFileA(file_.c_str());
    RemoveDirectoryA(folder_.c_str());  // only when no other file is left in it
}

}  // namespace demo
