// javaw.exe windows are reported with the Java command from their performance-data file.
#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <string>

#include "e2e/driver.h"

namespace {

using namespace std::string_literals;

// Copies of the test window program named `fileName`, one process each, with the file where
// the lookup expects that process's performance data; the files are removed at the end.
class JavaProcess {
public:
    explicit JavaProcess(const std::string& fileName)
        : windows_(copyAs(fileName)), path_(perfDataFolder() + std::to_string(windows_.pid())) {}
    ~JavaProcess() {
        DeleteFileA(path_.c_str());
        RemoveDirectoryA(perfDataFolder().c_str());  // when no other file is left in it
    }
    e2e::TestWindows& windows() { return windows_; }
    void writePerfData(const std::string& bytes) { e2e::writeFileOrThrow(path_, bytes); }
    void removePerfData() { DeleteFileA(path_.c_str()); }
    // Dated as if an earlier process with the same id had left it (2001).
    void backdatePerfData() {
        const FILETIME old{0x44FF8000u, 0x01C138D1u};
        HANDLE file = CreateFileA(path_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        EXPECT_TRUE(SetFileTime(file, &old, &old, &old));
        CloseHandle(file);
    }

private:
    static std::string copyAs(const std::string& fileName) {
        std::string path = e2e::freshTempDir("java") + "\\" + fileName;
        e2e::copyFileOrThrow(e2e::binPath("testwin_ver.exe"), path);
        return path;
    }
    static std::string perfDataFolder() { return e2e::javaPerfDataFolder(); }

    e2e::TestWindows windows_;
    std::string path_;
};

const std::string kCommand = "\xCA\xFE\xC0\xC0\x01sun.rt.javaCommand\0com.example.Main -x\0x"s;

TEST(JavaCommand, EachSwitchToAJavawWindowLooksTheCommandUpAgain) {
    JavaProcess java("javaw.exe");
    const std::string path = java.windows().exePath();
    HWND a = java.windows().create("LookoutJavaA", "Java A");
    HWND b = java.windows().create("LookoutJavaB", "Java B");
    JavaProcess capitals("JAVAW.EXE");
    capitals.writePerfData(kCommand);
    HWND c = capitals.windows().create("LookoutJavaC", "Capitals");

    java.writePerfData(kCommand);
    java.windows().show(a);
    e2e::Lookout lookout;
    ASSERT_TRUE(lookout.waitForRecords(1));
    const struct {
        std::optional<std::string> perfData;  // no file when absent
        std::string reported;
        bool backdated = false;
    } steps[] = {
        {std::nullopt, path},
        {"sun.rt.javaCommand\0\0next\0"s, ""},
        {"sun.rt.other\0value\0"s, path},
        {"x\0sun.rt.javaCommand"s, path},  // the key at the very end
        {std::nullopt, path},
        {kCommand, path, true},  // older than the process
    };
    std::string expected = e2e::appRecord("com.example.Main -x", "Lookout Test Window", "Java A");
    for (std::size_t step = 0; step < std::size(steps); ++step) {
        if (steps[step].perfData)
            java.writePerfData(*steps[step].perfData);
        else
            java.removePerfData();
        if (steps[step].backdated) java.backdatePerfData();
        java.windows().show(step % 2 ? a : b);
        ASSERT_TRUE(lookout.waitForRecords(step + 2)) << "step " << step;
        expected += e2e::appRecord(steps[step].reported, "Lookout Test Window",
                                   step % 2 ? "Java A" : "Java B");
    }
    capitals.windows().show(c);
    ASSERT_TRUE(lookout.waitForRecords(std::size(steps) + 2));
    expected += e2e::appRecord(capitals.windows().exePath(), "Lookout Test Window", "Capitals");
    EXPECT_EQ(lookout.output(), expected);
}

}  // namespace
