// Windows and processes that come to the front and die at once, for the hostile end-to-end tests.
//
//   hostile_flash.exe process <kind> <go event> <ready semaphore>
//       Creates one hidden window of <kind>, releases the semaphore, waits for the event, then
//       shows the window, brings it to the front and ends the process at once, window and all.
//   hostile_flash.exe windows <count> <go event> <ready semaphore>
//       Releases the semaphore, waits for the event, then <count> times creates a window of the
//       next kind, brings it to the front and destroys it straight away.
//
// Kinds: plain, ie (an address bar with its edit), chrome (an omnibox), firefox (a Firefox
// window class with nothing behind it). Titles are "flash <pid> <n>"; addresses are
// "http://flash.test/<n>". While waiting, the windows answer what other processes send them, so
// that only the flash itself is hostile.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kGoWaitMs = 60000;
const char* const kKinds[] = {"plain", "ie", "chrome", "firefox"};

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DefWindowProcA(window, message, wParam, lParam);
}

void registerClass(const char* className) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
}

void registerClasses() {
    for (const char* name : {"LookoutFlash", "IEFrame", "ToolbarWindow32", "Chrome_WidgetWin_1",
                             "Chrome_OmniboxView", "MozillaWindowClass"})
        registerClass(name);
}

HWND child(HWND parent, const char* className, const std::string& text) {
    return CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 100, 20,
                           parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND createWindow(const std::string& kind, int n) {
    const std::string title = "flash " + std::to_string(GetCurrentProcessId()) + " " + std::to_string(n);
    const std::string address = "http://flash.test/" + std::to_string(n);
    const char* className = kind == "ie"        ? "IEFrame"
                            : kind == "chrome"  ? "Chrome_WidgetWin_1"
                            : kind == "firefox" ? "MozillaWindowClass"
                                                : "LookoutFlash";
    HWND window = CreateWindowExA(0, className, title.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 300,
                                  200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (kind == "ie") {
        child(window, "ToolbarWindow32", "Address Combo Control");
        child(window, "Edit", address);
    } else if (kind == "chrome") {
        child(window, "Chrome_OmniboxView", address);
    }
    return window;
}

void pumpPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Waits for the go event while answering messages.
bool waitForGo(HANDLE go) {
    const ULONGLONG deadline = GetTickCount64() + kGoWaitMs;
    for (;;) {
        DWORD result = MsgWaitForMultipleObjects(1, &go, FALSE, 50, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) return true;
        pumpPending();
        if (GetTickCount64() > deadline) return false;
    }
}

void bringToFront(HWND window) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) return 2;
    const std::string mode = argv[1];
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    HANDLE ready = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, argv[4]);
    if (!go || !ready) return 3;
    registerClasses();

    if (mode == "process") {
        HWND window = createWindow(argv[2], 0);
        ReleaseSemaphore(ready, 1, nullptr);
        if (!waitForGo(go)) return 4;
        bringToFront(window);
        ExitProcess(0);  // the window goes with the process, nothing destroyed first
    }
    if (mode == "windows") {
        const int count = std::atoi(argv[2]);
        ReleaseSemaphore(ready, 1, nullptr);
        if (!waitForGo(go)) return 4;
        for (int n = 1; n <= count; ++n) {
            HWND window = createWindow(kKinds[n % 4], n);
            bringToFront(window);
            if (n % 3 == 0) Sleep(1);  // some live a little longer, to be met at other steps
            DestroyWindow(window);
            pumpPending();
        }
        return 0;
    }
    return 2;
}
