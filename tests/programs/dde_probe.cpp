// Runs the real start-up and pieces of the DDE client in one process, for what a test cannot
// reach through Lookout.exe alone. The first argument that is not a switch picks the action:
//   no-dde-thread          the DDE window class is taken before the monitor loop starts, so the
//                          DDE thread cannot create its window; then the loop runs as usual
//   close-dde-window <app> asks the server of <app> once (stand-in browser window), closes the
//                          DDE window as another program could, and asks again
// Other arguments ("/debuglog") go to start-up unchanged.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/hooks.h"
#include "app/monitor_loop.h"
#include "dde/dde_dispatch.h"
#include "dde/dde_url.h"

namespace {

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// Registers the class exactly as the DDE thread would, so that its own registration fails.
void takeDDEWindowClass() {
    HWND console = GetConsoleWindow();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance =
        console ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(console, GWLP_HINSTANCE)) : nullptr;
    windowClass.lpszClassName = kDDEWindowClassName;
    RegisterClassA(&windowClass);
}

void ask(HWND browser, const std::string& app, HWND ddeWindow, const char* label) {
    std::string url = "untouched", title = "untouched";
    bool answered = getBrowserUrl(browser, app, ddeWindow, url, title);
    say(std::string(label) + " " + (answered ? "yes " : "no ") + url + " " + title);
}

int closeDDEWindow(const std::string& app) {
    HWND ddeWindow = startDDEDispatchLoop();
    if (!ddeWindow) return 3;
    HWND browser = CreateWindowExA(0, "STATIC", "stand-in browser", WS_OVERLAPPEDWINDOW, 0, 0, 10,
                                   10, nullptr, nullptr, nullptr, nullptr);
    ask(browser, app, ddeWindow, "before");

    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, GetWindowThreadProcessId(ddeWindow, nullptr));
    // DefWindowProc answers WM_CLOSE by destroying the window.
    PostMessageA(ddeWindow, WM_CLOSE, 0, 0);
    bool ended = thread && WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0;
    say(ended ? "thread ended" : "thread still running");
    say(IsWindow(ddeWindow) ? "window alive" : "window gone");
    ask(browser, app, ddeWindow, "after");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    startUp(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "no-dde-thread") == 0) {
            takeDDEWindowClass();
            createConsoleDDEProcessingWindowProcess();
        }
        if (std::strcmp(argv[i], "close-dde-window") == 0 && i + 1 < argc)
            return closeDDEWindow(argv[i + 1]);
    }
    return 2;
}
