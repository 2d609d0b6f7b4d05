#pragma once
// Props of the demo beyond plain test windows: a DDE server standing in for a browser, and a
// javaw.exe with the performance-data file that names its Java command.

#include <windows.h>

#include <memory>
#include <string>

#include "e2e/driver.h"

namespace demo {

// dde_server.exe serving one reply; it ends when the object goes (its standard input closes).
class DdeServer {
public:
    explicit DdeServer(const std::string& switches);

private:
    std::unique_ptr<e2e::ChildProcess> child_;
};

// A copy of the test window program named javaw.exe, and the performance-data file at
// %TEMP%\hsperfdata_<user>\<pid> that holds its command; the file goes with the object.
class JavaApplication {
public:
    explicit JavaApplication(const std::string& command);
    ~JavaApplication();
    JavaApplication(const JavaApplication&) = delete;
    JavaApplication& operator=(const JavaApplication&) = delete;

    e2e::TestWindows& windows() { return *windows_; }

private:
    std::unique_ptr<e2e::TestWindows> windows_;
    std::string folder_;
    std::string file_;
};

}  // namespace demo
