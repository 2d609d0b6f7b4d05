// LookoutTree.exe against the tree player under Wine: what it captures is the tree the player
// serves, and what it explains is what Lookout reports for that window.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <regex>
#include <string>

#include "e2e/driver.h"

namespace {

using nlohmann::json;

// Runs LookoutTree.exe on the window in front; its output, and its file under `folder`.
std::string runLookoutTree(const std::string& arguments, const std::string& file, json& tree) {
    e2e::ChildProcess tool(
        "\"" + e2e::binPath("LookoutTree.exe") + "\" /delay 0 /out \"" + file + "\" " + arguments,
        false);
    std::string output;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(tool.stdoutRead(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        output.append(buffer, read);
    EXPECT_EQ(tool.waitForExit(30000), 0u) << output;
    tree = json::parse(e2e::readFile(file));
    return output;
}

// What a capture and a tree file have in common: role, texts, state, how each child is handed
// out, and the children. With `lengths`, names and values are their lengths in characters.
json shape(const json& node, bool lengths = false) {
    json kept = {{"role", node.value("role", json())}, {"state", node.value("state", 0)}};
    for (const char* key : {"name", "value", "shortcut"}) kept[key] = node.value(key, json());
    for (const char* key : {"name", "value"}) {
        if (!lengths || !kept[key].is_string()) continue;
        const std::string text = kept[key];
        kept[key] = std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
    }
    for (const char* flag : {"childId", "simple"}) kept[flag] = node.value(flag, false);
    kept["children"] = json::array();
    for (const json& child : node.value("children", json::array()))
        kept["children"].push_back(shape(child, lengths));
    return kept;
}

TEST(TreeCapture, ACaptureOfThePlayedTreeIsThatTreeAndNamesTheElementLookoutReports) {
    e2e::TreePlayer browser("round_trip.json");
    browser.show(browser.window());
    e2e::Lookout lookout({"/utf8"});
    ASSERT_TRUE(lookout.waitForRecords(1));
    EXPECT_EQ(lookout.output(), e2e::siteRecord(u8"beispiel.de/stra\u00dfe?q=1S2",
                                                "Round trip - Chromium", browser.exePath()));

    const std::string folder = e2e::freshTempDir("capture");
    json captured, redacted;
    const std::string output = runLookoutTree("/documents", folder + "\\all.json", captured);
    json played = json::parse(e2e::readFile(browser.treePath()));
    // A lone surrogate is written as U+FFFD.
    played["root"]["children"][2]["children"][1]["name"] = u8"Lone \ufffd";
    played["root"]["children"][2]["children"][1]["value"] = u8"\ufffd!";
    EXPECT_EQ(shape(captured["root"]), shape(played["root"]));
    EXPECT_EQ(captured["window"]["executable"], "chrome.exe");
    EXPECT_NE(output.find("Lookout classifies the window as a Chromium-family browser"),
              std::string::npos) << output;
    EXPECT_NE(output.find("Address element: path 3/3/1 "), std::string::npos) << output;
    EXPECT_NE(output.find(u8"Address: \"beispiel.de/stra\u00dfe?q=1$2\"\r\n"), std::string::npos);

    // By default the page is not entered. /redact leaves no letter or digit of a name, value or
    // the title, and keeps every length and the shortcuts.
    const std::string shown = runLookoutTree("/redact", folder + "\\redacted.json", redacted);
    EXPECT_FALSE(redacted["root"]["children"][1].contains("children"));
    played["root"]["children"][1].erase("children");
    EXPECT_EQ(redacted["window"]["title"], "xxxxx xxxx - xxxxxxxx");
    EXPECT_NE(shown.find("Address: \"xxxxxxxx.xx/xxxxxx?x=0$0\""), std::string::npos) << shown;
    EXPECT_EQ(shape(redacted["root"], true), shape(played["root"], true));
    const std::string hidden = shape(redacted["root"]).dump();
    EXPECT_FALSE(std::regex_search(hidden, std::regex("\"(name|value)\":\"[^\"]*[A-Za-wyz1-9\xC3]")))
        << hidden;
}

TEST(TreeCapture, ATreeThatNeverEndsIsCapturedUpToItsBound) {
    e2e::TreePlayer browser("endless.json");
    browser.show(browser.window());
    json captured;
    const std::string output =
        runLookoutTree("", e2e::freshTempDir("capture") + "\\endless.json", captured);
    EXPECT_NE(output.find("The capture stopped at its bound of "), std::string::npos) << output;
    EXPECT_TRUE(captured["captured"].contains("bound"));
    EXPECT_EQ(captured["root"]["childCount"], 2147483647);
}

}  // namespace
