// The yardstick for Lookout's idle cost and switch latency: a process that asks for the
// foreground window every 10 ms, as Lookout's poll does, and writes the new handle as a decimal
// line to its standard output whenever it changes. It ignores its arguments (the benchmarks pass
// a word that finds its Linux process) and runs until it is ended.
#include <windows.h>

#include <cstdint>
#include <cstdio>

int main() {
    HWND last = nullptr;
    for (;;) {
        Sleep(10);
        HWND foreground = GetForegroundWindow();
        if (foreground == last) continue;
        last = foreground;
        auto handle = static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(foreground));
        std::printf("%llu\n", handle);
        std::fflush(stdout);
    }
}
