// A browser-like process for the benchmarks: its windows serve one of the accessibility trees of
// firefox_tree.h to other processes through WM_GETOBJECT.
//
//   firefox_like.exe [/tree firefox|firefox-today|chromium|firefox-tabs|chromium-tabs]
//                    /address <text> [/tabs <n>]
//
// firefox (the default) is the 50-object tree of an older Firefox; firefox-today and chromium
// are the 150-object trees of today's browsers; firefox-tabs and chromium-tabs those of a window
// with <n> tabs (100 by default) and a bookmarks bar of 40.
// It speaks the test window program's protocol on standard input and output (so the test
// driver can run it): "ready <pid>" first, then one answer a line to
//   create <class> <hex title> -> "hwnd <n>"   show <hwnd> -> "ok"   destroy <hwnd> -> "ok"
//   calls -> "calls <n>", the calls made so far on the tree's objects   quit -> "bye"
#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "window_commands.h"

#include "firefox_tree.h"

namespace {

bench::FirefoxTree tree;
std::vector<std::string> calls;  // made on the window thread, which also answers "calls"

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

bool countCalls(const std::string& verb, std::istringstream&) {
    if (verb != "calls") return false;
    window_commands::reply("calls " + std::to_string(calls.size()));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string address = "http://firefox.example/";
    std::string shape = "firefox";
    int tabs = bench::kManyTabs;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "/address") == 0) address = argv[i + 1];
        if (std::strcmp(argv[i], "/tree") == 0) shape = argv[i + 1];
        if (std::strcmp(argv[i], "/tabs") == 0) tabs = std::atoi(argv[i + 1]);
    }

    CoInitialize(nullptr);  // the proxies of other processes call in through this thread's loop
    if (shape == "chromium")
        tree = bench::buildChromiumTodayTree(wide(address), &calls);
    else if (shape == "chromium-tabs")
        tree = bench::buildChromiumTabsTree(wide(address), tabs, bench::kManyBookmarks, &calls);
    else if (shape == "firefox-tabs")
        tree = bench::buildFirefoxTabsTree(wide(address), tabs, bench::kManyBookmarks, &calls);
    else if (shape == "firefox-today")
        tree = bench::buildFirefoxTodayTree(wide(address), &calls);
    else
        tree = bench::buildFirefoxTree(wide(address));
    window_commands::Options options;
    options.windowProc = windowProc;
    options.extra = countCalls;
    return window_commands::run(options);
}
