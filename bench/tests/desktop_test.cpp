// The windows the benchmarks build must be what Lookout's readers take them for; otherwise a
// figure would time another path than its name says.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/records.h"
#include "browser/chrome_reader.h"
#include "browser/classify.h"
#include "browser/ie_reader.h"
#include "common/desktop.h"
#include "java/java_command.h"
#include "unit/memory_sink.h"

namespace {

TEST(BenchWindows, BrowserLikeWindowsAreReadAsTheirBrowsers) {
    e2e::TestWindows windows("testwin_plain.exe");
    HWND ie = bench::createIeLikeWindow(windows, "IE", "http://ie.test/$");
    HWND chrome = bench::createChromiumLikeWindow(windows, "Chrome", "chrome.test/");
    HWND yandex = bench::createChromiumLikeWindow(windows, "Yandex", "yandex.test/",
                                                  "YandexBrowser_OmniboxView");
    EXPECT_EQ(getBrowserType(ie), 2);
    EXPECT_EQ(getIExprolerUrl(ie), "http://ie.test/$") << "the address band's edit, not the links'";
    EXPECT_EQ(getBrowserType(chrome), 4);
    EXPECT_EQ(getChromeUrl(chrome), "chrome.test/");
    EXPECT_EQ(getBrowserType(yandex), 6);
    EXPECT_EQ(getChromeUrl(yandex), "yandex.test/");
}

TEST(BenchWindows, AJavaLikeProcessIsNamedAfterItsCommandUntilItEnds) {
    unit::MemorySink out;
    DWORD pid = 0;
    {
        bench::JavaLikeProcess java("com.example.Test --flag");
        pid = java.windows().pid();
        AppRecord app{"C:\\javaw.exe", "-", "title"};
        lookupJavaCommand(pid, app, out);
        EXPECT_EQ(app.modulePath, "com.example.Test --flag");
    }
    AppRecord app{"C:\\javaw.exe", "-", "title"};
    lookupJavaCommand(pid, app, out);
    EXPECT_EQ(app.modulePath, "C:\\javaw.exe") << "the performance-data file is removed";
}

TEST(BenchWindows, ADdeServerProcessHasItsWindowForItsLifetime) {
    HWND window = nullptr;
    {
        bench::DdeServerProcess server("--app Opera");
        window = server.window();
        EXPECT_TRUE(IsWindow(window));
        EXPECT_NE(server.pid(), 0u);
    }
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
