// A Firefox-like browser process for the benchmarks: its windows serve the 50-object
// accessibility tree of firefox_tree.h to other processes through WM_GETOBJECT.
//
//   firefox_like.exe /address <text>
//
// It speaks the test window program's protocol on standard input and output (so the test
// driver can run it): "ready <pid>" first, then one answer a line to
//   create <class> <hex title> -> "hwnd <n>"   show <hwnd> -> "ok"   destroy <hwnd> -> "ok"
//   quit -> "bye"
#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "window_commands.h"

#include "firefox_tree.h"

namespace {


bench::FirefoxTree tree;

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_GETOBJECT) {
        // The object id travels in the low 32 bits; ids other than OBJID_WINDOW are negative.
        LONG objectId = static_cast<LONG>(static_cast<DWORD>(lParam));
        if (objectId == OBJID_WINDOW)
            return LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(tree.window));
        if (objectId == OBJID_CLIENT)
            return LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(tree.client));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    std::string address = "http://firefox.example/";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "/address") == 0) address = argv[i + 1];

    CoInitialize(nullptr);  // the proxies of other processes call in through this thread's loop
    tree = bench::buildFirefoxTree(wide(address));
    window_commands::Options options;
    options.windowProc = windowProc;
    return window_commands::run(options);
}
