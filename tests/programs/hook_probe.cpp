// Runs the real start-up and then one action, so that tests can watch the hooks end a process:
//   invalid-parameter-all    calls the invalid-parameter handler with all three texts
//   invalid-parameter-none   calls it with none
//   raise-sigterm            raises SIGTERM
//   raise-sigint             raises SIGINT
// Other arguments (such as "/debuglog") go to start-up unchanged. The run-time under Wine never
// calls the invalid-parameter handler itself, hence the direct call. A static object leaves the
// file "<exe>.destroyed" when it is destroyed, which the hooks must not let happen: the program's
// other threads may still be using such objects.
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/hooks.h"
#include "app/records.h"

namespace {

struct ExitWitness {
    ~ExitWitness() {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        const std::string witness = std::string(path) + ".destroyed";
        CloseHandle(CreateFileA(witness.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
    }
} exitWitness;

}  // namespace

int main(int argc, char** argv) {
    startUp(argc, argv);
    AppRecord app{"C:\\probe.exe", "Probe", "before the hook"};
    SendAppRecord(app, standardOutput());
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "invalid-parameter-all") == 0)
            InvalidParameterHandler(L"buffer != nullptr", L"probeFunction", L"probe.cpp", 42, 0);
        if (std::strcmp(argv[i], "invalid-parameter-none") == 0)
            InvalidParameterHandler(nullptr, nullptr, nullptr, 0, 0);
        if (std::strcmp(argv[i], "raise-sigterm") == 0) std::raise(SIGTERM);
        if (std::strcmp(argv[i], "raise-sigint") == 0) std::raise(SIGINT);
    }
    return 7;  // reached only when no hook ended the process
}
