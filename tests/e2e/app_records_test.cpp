// The real Lookout.exe against real windows of other processes: the exact bytes the parent gets.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;

TEST(AppRecords, SwitchABAGivesThreeRecordsByteForByte) {
    e2e::TestWindows first("testwin_ver.exe");
    e2e::TestWindows second("testwin_plain.exe");
    HWND a = first.create("LookoutAppA", "Window A");
    HWND b = second.create("LookoutAppB", "Window B");
    first.show(a);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    second.show(b);
    ASSERT_TRUE(lookout.waitForRecords(2));
    first.show(a);
    ASSERT_TRUE(lookout.waitForRecords(3));
    EXPECT_EQ(lookout.output(),
              appRecord(first.exePath(), "Lookout Test Window", "Window A") +
                  appRecord(second.exePath(), "-", "Window B") +
                  appRecord(first.exePath(), "Lookout Test Window", "Window A"));
    EXPECT_EQ(lookout.output().find('\r'), std::string::npos);
}

// A path comes long and whole at any length, and the description is read whatever characters
// the path holds; characters the code page lacks arrive as "?", never as a look-alike (the
// system's best fit makes a real "\" and ":" of fullwidth ones), and whole in UTF-8 with "/utf8".
TEST(AppRecords, ShortPathIsReportedLongAndTheLastTranslationWins) {
    // At the root of C:, away from the many test folders in %TEMP%: Wine's hashed 8.3 names of
    // many siblings with a common prefix can collide.
    std::vector<std::wstring> folders{L"C:\\lookout-short-" +
                                      std::to_wstring(GetCurrentProcessId()) + L"-" +
                                      std::to_wstring(GetTickCount())};
    while (folders.back().size() < MAX_PATH)
        folders.push_back(folders.back() + L"\\A Folder With A Long Name");
    for (const std::wstring& folder : folders)
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr));
    const std::wstring longPath = L"\\\\?\\" + folders.back() + L"\\Two Translations Window.exe";
    const std::string temp = e2e::freshTempDir("cyrillic");
    const std::wstring cyrillic = e2e::widen(temp) + L"\\\x041f\x0430\x043f\x043a\x0430\xFF3C\xFF1A";
    ASSERT_TRUE(CreateDirectoryW(cyrillic.c_str(), nullptr));
    const std::wstring source = e2e::widen(e2e::binPath("testwin_two.exe"));
    ASSERT_TRUE(CopyFileW(source.c_str(), longPath.c_str(), FALSE));
    const std::wstring international = e2e::widen(e2e::binPath("testwin_intl.exe"));
    ASSERT_TRUE(CopyFileW(international.c_str(), (cyrillic + L"\\testwin.exe").c_str(), FALSE));
    std::wstring shortPath(32768, L'\0');
    shortPath.resize(GetShortPathNameW(longPath.c_str(), &shortPath[0], 32768));
    ASSERT_LT(shortPath.size(), MAX_PATH);
    {
        // Wine starts an executable this deep only from its short path given apart.
        e2e::TestWindows deep(shortPath);
        e2e::TestWindows other(cyrillic + L"\\testwin.exe");
        HWND window = deep.create("LookoutShortPath", "Started short");
        HWND second = other.create("LookoutCyrillic", "Cyrillic");
        deep.show(window);
        e2e::Lookout lookout, utf8({"/utf8"});
        ASSERT_TRUE(lookout.waitForRecords(1) && utf8.waitForRecords(1));
        other.show(second);
        ASSERT_TRUE(lookout.waitForRecords(2) && utf8.waitForRecords(2));
        std::string cyrillicPath = other.exePath();
        EXPECT_EQ(cyrillicPath.substr(cyrillicPath.size() - 20), "\\?????\\:\\testwin.exe");
        cyrillicPath = temp + "\\???????\\testwin.exe";
        const std::string deepRecord = appRecord(e2e::narrow(longPath.substr(4)),
                                                 "Zweite Beschreibung", "Started short");
        EXPECT_EQ(lookout.output(),
                  deepRecord + appRecord(cyrillicPath, "???????? \xe9", "Cyrillic"));
        const std::string description = u8"\u041e\u043f\u0438\u0441\u0430\u043d\u0438\u0435 \u00e9";
        EXPECT_EQ(utf8.output(),
                  deepRecord + appRecord(temp + u8"\\\u041f\u0430\u043f\u043a\u0430\uFF3C\uFF1A\\testwin.exe",
                                         description, "Cyrillic"));
    }
    DeleteFileW(longPath.c_str());
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        RemoveDirectoryW((L"\\\\?\\" + *folder).c_str());
}

TEST(AppRecords, DesktopClassesReportTheWordDesktop) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND progman = windows.create("Progman", "Program Manager");
    HWND worker = windows.create("workerw", "");
    HWND plain = windows.create("LookoutPlain", "Plain");
    windows.show(plain);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.show(progman);
    ASSERT_TRUE(lookout.waitForRecords(2));
    windows.show(worker);
    ASSERT_TRUE(lookout.waitForRecords(3));
    auto records = lookout.records();
    EXPECT_EQ(records[1], appRecord("Desktop", "Desktop", "Program Manager"));
    EXPECT_EQ(records[2], appRecord("Desktop", "Desktop", ""));
}

TEST(AppRecords, DollarsAreEscapedAndAnEmptyTitleEndsInTwoDollars) {
    e2e::TestWindows windows("testwin_plain.exe");
    HWND dollar = windows.create("LookoutDollar", "a$b");
    HWND empty = windows.create("LookoutEmpty", "");
    windows.show(dollar);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.show(empty);
    ASSERT_TRUE(lookout.waitForRecords(2));
    EXPECT_EQ(lookout.output(), appRecord(windows.exePath(), "-", "aSb") +
                                    "app$" + windows.exePath() + "$-$$\n$");
}

TEST(AppRecords, EveryTitleByteArrivesUnchangedButTheDollar) {
    std::string title;
    for (int c = 1; c < 256; ++c) title += static_cast<char>(c);
    e2e::TestWindows windows("testwin_plain.exe");
    HWND window = windows.create("LookoutBytes", title);
    windows.show(window);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    std::string expected = title;
    expected['$' - 1] = 'S';
    EXPECT_EQ(lookout.output(), appRecord(windows.exePath(), "-", expected));
}

// Titles and the texts of an address bar and an omnibox window, set with SetWindowTextW and watched
// by three Lookouts at once: with "/utf8", before or after "/debuglog", in UTF-8 and cut to 1023
// bytes at a character; without, "?" for each UTF-16 unit the code page lacks.
TEST(Utf8Records, TextsInAnyScriptArriveInUtf8OnlyWithTheSwitch) {
    const std::string emoji = u8"\U0001F600";
    std::string longTitle = "a";
    for (int i = 0; i < 300; ++i) longTitle += emoji;
    const std::string longCut = longTitle.substr(0, 1 + 255 * emoji.size());  // 1021 bytes
    const std::pair<std::string, std::string> titles[] = {  // sent, and reported without "/utf8"
        {u8"\u4e2d\u6587 \u041a\u0438\u0440", "?? ???"},
        {"Smile " + emoji + u8", New tab\u200b - Edge", "Smile ??, New tab? - Edge"},
        {longTitle, "a" + std::string(600, '?')}};
    e2e::TestWindows windows("testwin_plain.exe", {"/utf8"});
    const std::string& path = windows.exePath();
    std::vector<HWND> handles;
    std::string ansiExpected, utf8Expected;
    for (const auto& [title, ansiTitle] : titles) {
        handles.push_back(windows.create("LookoutUtf8Title", title));
        ansiExpected += appRecord(path, "-", ansiTitle);
        utf8Expected += appRecord(path, "-", title == longTitle ? longCut : title);
    }
    const std::string url = u8"http://\u4f8b.example/caf\u00e9";
    handles.push_back(windows.create("IEFrame", "IE"));
    windows.createChild(handles.back(), "ToolbarWindow32", "Address Combo Control");
    windows.createChild(handles.back(), "Edit", url);
    handles.push_back(windows.create("Chrome_WidgetWin_1", "Chrome"));
    windows.createChild(handles.back(), "Chrome_OmniboxView", url);
    for (const char* title : {"IE", "Chrome"}) {
        ansiExpected += e2e::siteRecord("http://?.example/caf\xe9", title, path);
        utf8Expected += e2e::siteRecord(url, title, path);
    }

    windows.show(handles[0]);
    e2e::Lookout ansi, logFirst({"/debuglog", "/utf8"}), utf8First({"/utf8", "/debuglog"});
    for (std::size_t i = 0; i < handles.size(); ++i) {
        if (i > 0) windows.show(handles[i]);
        for (e2e::Lookout* lookout : {&ansi, &logFirst, &utf8First})
            ASSERT_TRUE(lookout->waitForRecords(i + 1)) << i;
    }
    EXPECT_EQ(ansi.output(), ansiExpected);
    for (e2e::Lookout* lookout : {&logFirst, &utf8First}) {
        EXPECT_EQ(lookout->output(), utf8Expected);
        EXPECT_NE(e2e::readFile(lookout->logPath()).find("Records in UTF-8 (/utf8)\r\n"),
                  std::string::npos);
    }
}

TEST(TitleCheck, AChangedTitleIsReportedWithinAboutASecond) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND window = windows.create("LookoutRetitle", "Before");
    windows.show(window);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    ULONGLONG changed = GetTickCount64();
    windows.retitle(window, "After $2");
    ASSERT_TRUE(lookout.waitForRecords(2, 5000));
    EXPECT_LT(GetTickCount64() - changed, 2500u) << "checked about once a second";
    EXPECT_EQ(lookout.records()[1],
              appRecord(windows.exePath(), "Lookout Test Window", "After S2"));
}

TEST(TitleCheck, ATitleChangingEvery200msGivesAboutOneRecordASecond) {
    e2e::TestWindows windows("testwin_plain.exe");
    HWND window = windows.create("LookoutTicker", "tick 0");
    windows.show(window);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    ULONGLONG start = GetTickCount64();
    int changes = 0;
    // The 200 ms rhythm is what is tested here, so this loop sleeps on purpose.
    while (GetTickCount64() - start < 4000) {
        windows.retitle(window, "tick " + std::to_string(++changes));
        Sleep(200);
    }
    double seconds = (GetTickCount64() - start) / 1000.0;
    std::size_t titleRecords = lookout.records().size() - 1;
    EXPECT_GE(titleRecords, 2u);
    EXPECT_LE(titleRecords, static_cast<std::size_t>(seconds) + 1) << "over " << seconds << " s";
    for (const std::string& record : lookout.records())
        EXPECT_EQ(record.rfind("app$" + windows.exePath() + "$-$tick ", 0), 0u) << record;
}

TEST(Foreground, AWindowThatComesBackAfterNoForegroundIsReportedAgain) {
    e2e::TestWindows windows("testwin_ver.exe");
    HWND a = windows.create("LookoutBack", "Comes back");
    windows.show(a);
    e2e::Lookout lookout({"/debuglog"});
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.hide(a);
    if (GetForegroundWindow() != nullptr) GTEST_SKIP() << "another window took the foreground";
    // Lookout must have seen the empty foreground before the window returns.
    ASSERT_TRUE(e2e::waitFor([&] {
        return e2e::readFile(lookout.logPath()).find("Foreground Window Process ID 0\r\n") !=
               std::string::npos;
    }));
    windows.show(a);
    ASSERT_TRUE(lookout.waitForRecords(2));
    EXPECT_EQ(lookout.output(), appRecord(windows.exePath(), "Lookout Test Window", "Comes back") +
                                    appRecord(windows.exePath(), "Lookout Test Window", "Comes back"));
}

}  // namespace
