// Texts of every byte value from 0x01 to 0xFF, "$" and line feeds among them, at and past the
// lengths they are read with: window titles, omnibox and address-edit texts, an address from an
// accessibility tree and a DDE reply. The records must hold exactly those bytes, each "$" made
// "S", cut only where the reading of that text is bounded.
#include <gtest/gtest.h>

#include <string>

#include "e2e/driver.h"

namespace {

using e2e::appRecord;
using e2e::siteRecord;

constexpr std::size_t kTextLimit = 1023;  // titles, omnibox and edit texts: a 1024-byte buffer

// `length` bytes running through 0x01 to 0xFF from `first` on, over and over.
std::string everyByte(std::size_t length, unsigned first = 1) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += static_cast<char>(1 + (first - 1 + i) % 255);
    return text;
}

std::string escaped(std::string text) {
    for (char& c : text)
        if (c == '$') c = 'S';
    return text;
}

std::string textOf(HWND window) {
    std::string text(64 * 1024, '\0');
    LRESULT length = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

TEST(HostileBytes, TitlesAtAndPastTheLimit) {
    e2e::TestWindows windows("testwin_plain.exe");
    const std::string titles[] = {everyByte(kTextLimit), everyByte(kTextLimit + 1, 7),
                                  everyByte(3500, 200)};  // a command line of the test window holds at most 8 KB
    e2e::Lookout lookout;
    std::string expected;
    std::size_t records = 0;
    for (const std::string& title : titles) {
        HWND window = windows.create("LookoutBytesTitle", title);
        windows.show(window);
        ASSERT_TRUE(lookout.waitForRecords(++records));
        expected += appRecord(windows.exePath(), "-", escaped(title.substr(0, kTextLimit)));
    }
    EXPECT_EQ(lookout.output(), expected);
}

TEST(HostileBytes, OmniboxAndAddressEditTexts) {
    e2e::TestWindows windows("testwin_plain.exe");
    const std::string chromeTitle = everyByte(kTextLimit, 100);
    const std::string omnibox = everyByte(3000, 50);
    HWND chrome = windows.create("Chrome_WidgetWin_1", chromeTitle);
    windows.createChild(chrome, "Chrome_OmniboxView", omnibox);

    // A real edit control keeps what it is given its own way; the record must carry what it holds.
    const std::string ieTitle = everyByte(600, 30);
    HWND ie = windows.create("IEFrame", ieTitle);
    windows.createChild(ie, "ToolbarWindow32", "Address Combo Control");
    HWND edit = windows.createChild(ie, "Edit", everyByte(kTextLimit, 10));
    const std::string held = textOf(edit);
    ASSERT_FALSE(held.empty());

    windows.show(chrome);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    windows.show(ie);
    ASSERT_TRUE(lookout.waitForRecords(2));
    EXPECT_EQ(lookout.records()[0], siteRecord(escaped(omnibox.substr(0, kTextLimit)),
                                               escaped(chromeTitle), windows.exePath()));
    EXPECT_EQ(lookout.records()[1], siteRecord(escaped(held.substr(0, kTextLimit)),
                                               escaped(ieTitle), windows.exePath()));
    EXPECT_EQ(lookout.output(), lookout.records()[0] + lookout.records()[1]);
}

// An accessibility tree's address is read whole, however long it is.
TEST(HostileBytes, AnAccessibilityAddressOfEveryByteIsReadWhole) {
    const std::string address = everyByte(12000, 33);
    e2e::TreePlayer browser("firefox_good.json", "",
                            {{"http://good.test/", e2e::utf8FromAnsi(address)}});
    HWND window = browser.create("MozillaWindowClass", everyByte(kTextLimit, 90));
    browser.show(window);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1, 20000));
    EXPECT_EQ(lookout.output(), siteRecord(escaped(address), escaped(everyByte(kTextLimit, 90)),
                                           browser.exePath()));
}

// A DDE reply's fields are taken exactly as they stand between their quotes, escapes and all.
TEST(HostileBytes, ADdeReplyOfEveryByteGivesItsFieldsAsTheyStand) {
    std::string url, title;
    for (char c : everyByte(9000, 5))
        if (c != '"' && c != '\\') url += c;
    url += "\\\"escaped quote\\\\";  // a backslash-quote pair and a backslash pair, kept
    for (char c : everyByte(5000, 150))
        if (c != '"' && c != '\\') title += c;
    const std::string reply = "\"" + url + "\",\"" + title + "\",\"ignored\"";

    e2e::TestWindows windows("testwin_plain.exe");
    HWND firefox = windows.create("MozillaWindowClass", "Answered over DDE");
    e2e::ChildProcess server("\"" + e2e::binPath("dde_server.exe") + "\" --reply-hex " + e2e::toHex(reply),
                             true);
    ASSERT_TRUE(e2e::waitFor([&] {
        DWORD available = 0;
        return PeekNamedPipe(server.stdoutRead(), nullptr, 0, nullptr, &available, nullptr) &&
               available > 0;
    })) << "the DDE server did not start";
    windows.show(firefox);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1, 20000));
    EXPECT_EQ(lookout.output(), siteRecord(escaped(url), escaped(title), windows.exePath()));
    // The server has its data acknowledged (and its item atom back) before it is told to quit,
    // so that the global atom table, which later tests look at, keeps nothing of this.
    std::string events;
    EXPECT_TRUE(e2e::waitFor([&] {
        DWORD available = 0;
        if (!PeekNamedPipe(server.stdoutRead(), nullptr, 0, nullptr, &available, nullptr))
            return true;
        if (available > 0) {
            std::string chunk(available, '\0');
            DWORD read = 0;
            ReadFile(server.stdoutRead(), &chunk[0], available, &read, nullptr);
            events.append(chunk, 0, read);
        }
        return events.find("ack 8000") != std::string::npos;
    })) << events;
    DWORD written = 0;
    WriteFile(server.stdinWrite(), "quit\n", 5, &written, nullptr);
    server.waitForExit(e2e::kDefaultDeadlineMs);
}

}  // namespace
