#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "diag/debug_log.h"
#include "unit/test_files.h"

namespace {

TEST(DebugLogPath, ReplacesTheFirstDotExeOfTheLowerCasedPath) {
    EXPECT_EQ(debugLogPathFor("C:\\Tools\\Lookout.EXE"), "c:\\tools\\lookout.log");
    EXPECT_EQ(debugLogPathFor("c:\\x.exe.d\\lookout.exe"), "c:\\x.log");
    EXPECT_EQ(debugLogPathFor("C:\\Tools\\Lookout.com"), "");
    EXPECT_EQ(debugLogPathFor(""), "");
}

std::string formatLine(const char* prefix, const char* format, ...) {
    char line[kLogLineSize];
    va_list args;
    va_start(args, format);
    std::size_t length = formatLogLine(line, prefix, format, args);
    va_end(args);
    EXPECT_EQ(length, std::strlen(line));
    return std::string(line, length);
}

TEST(LogLine, IsPrefixMessageAndCrLf) {
    EXPECT_EQ(formatLine("12:00:01: ", "Foreground Window Process ID %d", 42),
              "12:00:01: Foreground Window Process ID 42\r\n");
    EXPECT_EQ(formatLine("", "no prefix"), "no prefix\r\n");
}

TEST(LogLine, AnOverlongMessageIsCutToTheLimitAndStillEndsTheLine) {
    std::string fits(1011, 'm');
    EXPECT_EQ(formatLine("12:00:01: ", "%s", fits.c_str()), "12:00:01: " + fits + "\r\n");
    std::string tooLong(5000, 'm');
    std::string line = formatLine("12:00:01: ", "%s", tooLong.c_str());
    EXPECT_EQ(line.size(), 1023u);
    EXPECT_EQ(line, "12:00:01: " + std::string(1011, 'm') + "\r\n");
}

TEST(LogLine, TimePrefixIsHoursMinutesSeconds) {
    EXPECT_TRUE(std::regex_match(logTimePrefix(), std::regex(R"(\d\d:\d\d:\d\d: )")));
}

class DebugLogFile : public ::testing::Test {
protected:
    void SetUp() override {
        initDebugLogLock();
        path_ = e2e::freshTempDir("log") + "\\unit.log";
    }
    void TearDown() override { closeDebugLog(); }
    std::string content() const { return e2e::readFile(path_); }
    std::string path_;
};

TEST_F(DebugLogFile, OffWritesNothingAndCreatesNoFile) {
    logMessage("nothing %d", 1);
    logStrings("a", "b", "c");
    logWide(L"a", L"b");
    traceFunction("GetModuleInfo");
    EXPECT_FALSE(e2e::fileExists(path_));
}

TEST_F(DebugLogFile, StartsWithTheDateLineAndAppendsAcrossOpens) {
    openDebugLogAt(path_);
    logMessage("first run");
    closeDebugLog();
    openDebugLogAt(path_);
    logMessage("second run");
    closeDebugLog();
    logMessage("after the close");
    std::regex expected(
        R"(\d\d:\d\d:\d\d: Logging started: \d\d-\d\d-\d{4}\r\n\d\d:\d\d:\d\d: first run\r\n)"
        R"(\d\d:\d\d:\d\d: Logging started: \d\d-\d\d-\d{4}\r\n\d\d:\d\d:\d\d: second run\r\n)");
    EXPECT_TRUE(std::regex_match(content(), expected)) << content();
}

TEST_F(DebugLogFile, TraceLineNamesTickThreadAndFunction) {
    openDebugLogAt(path_);
    traceFunction("GetBrowserInfo");
    closeDebugLog();
    std::string text = content();
    std::string last = text.substr(text.find("\r\n") + 2);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(
        last, match,
        std::regex(R"(\d\d:\d\d:\d\d: \((\d+), thread = (\d+)\) >>>> Function: GetBrowserInfo\r\n)")))
        << last;
    EXPECT_EQ(std::stoul(match[2]), GetCurrentThreadId());
}

TEST_F(DebugLogFile, StringsLinesAreWholeAndWarnFrom1024Bytes) {
    openDebugLogAt(path_);
    std::size_t start = content().size();
    logStrings("Url info to send: ", "a", "b");
    logStrings("caption: ", nullptr, "only third");
    std::string exact1021 = std::string(1021 - 9, 'x');
    logStrings("caption: ", exact1021.c_str());  // 1021 + CR LF = 1023 bytes: no warning
    std::string exact1022 = std::string(1022 - 9, 'y');
    logStrings("caption: ", exact1022.c_str());  // 1024 bytes: warning after the whole line
    closeDebugLog();
    EXPECT_EQ(content().substr(start), "Url info to send: ab\r\ncaption: only third\r\ncaption: " +
                                           exact1021 + "\r\ncaption: " + exact1022 +
                                           "\r\nWarning: the logged message is too long!!!\r\n");
}

TEST_F(DebugLogFile, WideLinesAreUtf16WithAWideLineEnd) {
    openDebugLogAt(path_);
    std::size_t start = content().size();
    logWide(L"file = ", L"probe.cpp");
    closeDebugLog();
    std::wstring expected = L"file = probe.cpp\r\n";
    EXPECT_EQ(content().substr(start),
              std::string(reinterpret_cast<const char*>(expected.data()), expected.size() * 2));
}

TEST_F(DebugLogFile, LinesOfTwoThreadsNeverInterleave) {
    openDebugLogAt(path_);
    auto writer = [](char letter) {
        std::string text(200, letter);
        for (int i = 0; i < 300; ++i) {
            logMessage("%s", text.c_str());
            logStrings("s: ", text.c_str());
        }
    };
    std::thread first(writer, 'a');
    std::thread second(writer, 'b');
    first.join();
    second.join();
    closeDebugLog();
    std::string text = content();
    std::size_t lines = 0;
    for (std::size_t start = text.find("\r\n") + 2, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2, ++lines) {
        std::string line = text.substr(start, end - start);
        EXPECT_TRUE(std::regex_match(line, std::regex(R"((\d\d:\d\d:\d\d: |s: )(a{200}|b{200}))")))
            << line;
    }
    EXPECT_EQ(lines, 1200u);
}

TEST_F(DebugLogFile, AnOpenLogIsNotOpenedAgain) {
    openDebugLogAt(path_);
    std::string other = e2e::freshTempDir("log") + "\\other.log";
    openDebugLogAt(other);
    logMessage("still the first file");
    closeDebugLog();
    EXPECT_FALSE(e2e::fileExists(other));
    EXPECT_NE(content().find("still the first file"), std::string::npos);
}

}  // namespace
