// The yardstick for Lookout's idle cost: a process that does nothing but ask for the foreground
// window every 10 ms, as Lookout's poll does. It ignores its arguments (the benchmark passes a
// word that finds its Linux process) and runs until it is ended.
#include <windows.h>

int main() {
    volatile HWND foreground = nullptr;
    for (;;) {
        Sleep(10);
        foreground = GetForegroundWindow();
    }
    (void)foreground;
}
