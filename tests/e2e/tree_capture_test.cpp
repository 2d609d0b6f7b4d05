// LookoutTree.exe against the tree player under Wine: what it captures is the tree the player
// serves, and what it explains is what Lookout reports for that window.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

using nlohmann::json;

struct ToolRun {
    DWORD exitCode;
    std::string output;
};

ToolRun runLookoutTree(const std::string& arguments) {
    e2e::ChildProcess tool("\"" + e2e::binPath("LookoutTree.exe") + "\" /delay 0 " + arguments,
                           false);
    std::string output;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(tool.stdoutRead(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        output.append(buffer, read);
    return {tool.waitForExit(30000), output};
}

// A text of a tree file as a capture writes it: code units become UTF-8, a lone surrogate U+FFFD.
json capturedText(const json& node, const char* key) {
    const json text = node.value(key, json());
    if (!text.is_array()) return text;
    std::string utf8;
    for (unsigned unit : text.get<std::vector<unsigned>>()) {
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            utf8 += "\xEF\xBF\xBD";
        } else {
            const wchar_t wide = static_cast<wchar_t>(unit);
            char bytes[4];
            utf8.append(bytes, WideCharToMultiByte(CP_UTF8, 0, &wide, 1, bytes, 4, nullptr, nullptr));
        }
    }
    return utf8;
}

void expectSameTree(const json& played, const json& captured, const std::string& path = "") {
    EXPECT_EQ(played.value("role", json()), captured.value("role", json())) << path;
    for (const char* key : {"name", "value", "shortcut"})
        EXPECT_EQ(capturedText(played, key), captured.value(key, json())) << path << " " << key;
    EXPECT_EQ(played.value("state", 0), captured.value("state", 0)) << path;
    for (const char* flag : {"childId", "simple"})
        EXPECT_EQ(played.value(flag, false), captured.value(flag, false)) << path << " " << flag;
    const json none = json::array();
    const json& mine = played.contains("children") ? played["children"] : none;
    const json& theirs = captured.contains("children") ? captured["children"] : none;
    ASSERT_EQ(mine.size(), theirs.size()) << path;
    for (std::size_t i = 0; i < mine.size(); ++i)
        expectSameTree(mine[i], theirs[i], path + "/" + std::to_string(i + 1));
}

std::size_t characters(const std::string& utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// Every letter and digit of names and values is gone, their lengths and the shortcuts stay.
void expectRedacted(const json& played, const json& captured) {
    for (const char* key : {"name", "value"}) {
        const json original = capturedText(played, key);
        if (!original.is_string()) continue;
        const std::string after = captured.value(key, std::string());
        EXPECT_EQ(after.find_first_of("abcdefghijklmnopqrstuvwyzABCDEFGHIJKLMNOPQRSTUVWXYZ123456789"
                                      "\xC3"),  // the lead byte of accented Latin letters
                  std::string::npos)
            << after;
        EXPECT_EQ(characters(after), characters(original.get<std::string>())) << after;
    }
    EXPECT_EQ(capturedText(played, "shortcut"), captured.value("shortcut", json()));
    if (played.contains("children"))
        for (std::size_t i = 0; i < played["children"].size(); ++i)
            expectRedacted(played["children"][i], captured["children"][i]);
}

TEST(TreeCapture, ACaptureOfThePlayedTreeIsThatTreeAndNamesTheElementLookoutReports) {
    e2e::TreePlayer browser("round_trip.json");
    browser.show(browser.window());
    e2e::Lookout lookout({"/utf8"});
    ASSERT_TRUE(lookout.waitForRecords(1));
    EXPECT_EQ(lookout.output(), e2e::siteRecord(u8"beispiel.de/stra\u00dfe?q=1S2",
                                                "Round trip - Chromium", browser.exePath()));

    const std::string folder = e2e::freshTempDir("capture");
    json played = json::parse(e2e::readFile(browser.treePath()));
    const ToolRun run = runLookoutTree("/documents /out \"" + folder + "\\all.json\"");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    const json captured = json::parse(e2e::readFile(folder + "\\all.json"));
    EXPECT_EQ(captured["format"], 1);
    EXPECT_EQ(captured["window"]["class"], "Chrome_WidgetWin_1");
    EXPECT_EQ(captured["window"]["executable"], "chrome.exe");
    expectSameTree(played["root"], captured["root"]);
    EXPECT_NE(run.output.find("Lookout classifies the window as a Chromium-family browser"),
              std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Address element: path 3/3/1 "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(u8"Address: \"beispiel.de/stra\u00dfe?q=1$2\"\r\n"),
              std::string::npos) << run.output;

    // By default the page is not entered; /redact keeps the shape of every text.
    const ToolRun redacted = runLookoutTree("/redact /out \"" + folder + "\\redacted.json\"");
    EXPECT_EQ(redacted.exitCode, 0u) << redacted.output;
    json shape = json::parse(e2e::readFile(folder + "\\redacted.json"));
    EXPECT_FALSE(shape["root"]["children"][1].contains("children"));
    played["root"]["children"][1].erase("children");
    EXPECT_EQ(shape["window"]["title"], "xxxxx xxxx - xxxxxxxx");
    expectRedacted(played["root"], shape["root"]);
    EXPECT_NE(redacted.output.find("Address: \"xxxxxxxx.xx/xxxxxx?x=0$0\""), std::string::npos)
        << redacted.output;
}

TEST(TreeCapture, ATreeThatNeverEndsIsCapturedUpToItsBound) {
    e2e::TreePlayer browser("endless.json");
    browser.show(browser.window());
    const std::string folder = e2e::freshTempDir("capture");
    const ToolRun run = runLookoutTree("/out \"" + folder + "\\endless.json\"");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("The capture stopped at its bound of "), std::string::npos)
        << run.output;
    const json captured = json::parse(e2e::readFile(folder + "\\endless.json"));
    EXPECT_TRUE(captured["captured"].contains("bound"));
    EXPECT_EQ(captured["root"]["childCount"], 2147483647);
}

}  // namespace
