#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "unit/test_files.h"
#include "util/unique_handle.h"
#include "winfo/description_cache.h"
#include "winfo/desktop_class.h"
#include "winfo/image_path.h"
#include "winfo/module_info.h"
#include "winfo/process_cache.h"
#include "winfo/version_info.h"

namespace {

TEST(CompareNoCase, IgnoresTheCaseOfAsciiLettersOnly) {
    EXPECT_EQ(CompareNoCase("Progman", "PROGMAN"), 0);
    EXPECT_EQ(CompareNoCase("workerw", "WorkerW"), 0);
    EXPECT_EQ(CompareNoCase("", ""), 0);
    // Other bytes are compared as they are: e-acute and E-acute of code page 1252 differ.
    EXPECT_NE(CompareNoCase("\xe9", "\xc9"), 0);
    EXPECT_NE(CompareNoCase("a[", "A{"), 0);
}

TEST(CompareNoCase, OrdersLikeAByteComparisonWithTheShorterTextFirst) {
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(CompareNoCase("abd", "ABC"), 0);
    EXPECT_LT(CompareNoCase("Prog", "progman"), 0);
    EXPECT_GT(CompareNoCase("progman", "Prog"), 0);
    EXPECT_GT(CompareNoCase("\xff", "a"), 0) << "bytes compare unsigned";
}

TEST(IsDesktopClass, MatchesProgmanAndWorkerWInAnyCase) {
    for (const char* name : {"Progman", "PROGMAN", "progman", "WorkerW", "workerw", "WORKERW"})
        EXPECT_TRUE(IsDesktopClass(name)) << name;
    for (const char* name : {"", "Progman2", "Progma", "Worker W", "#32769", "WorkerWX"})
        EXPECT_FALSE(IsDesktopClass(name)) << name;
}

TEST(FormatString, CutsWhatDoesNotFitAndCountsWhatWasWritten) {
    char buffer[8];
    EXPECT_EQ(FormatString(buffer, sizeof buffer, "%s-%d", "ab", 42), 5);
    EXPECT_STREQ(buffer, "ab-42");
    EXPECT_EQ(FormatString(buffer, sizeof buffer, "%s", "0123456789"), 7);
    EXPECT_STREQ(buffer, "0123456");
}

std::wstring binPath(const std::string& fileName) { return e2e::widen(e2e::binPath(fileName)); }

TEST(GetVersionInfo, ReadsTheFileDescriptionOfOurTestExecutables) {
    EXPECT_EQ(GetVersionInfo(binPath("testwin_ver.exe")), "Lookout Test Window");
    EXPECT_EQ(GetVersionInfo(binPath("testwin_two.exe")), "Zweite Beschreibung")
        << "of two translations, the last in the table wins";
    EXPECT_EQ(GetVersionInfo(binPath("testwin_plain.exe")), "-");
    EXPECT_EQ(GetVersionInfo(binPath("no-such-file.exe")), "-");
}

TEST(GetVersionInfo, KeepsA259ByteDescriptionAndCutsALongerOne) {
    EXPECT_EQ(GetVersionInfo(binPath("testwin_259.exe")), std::string(258, 'D') + "9");
    std::string thirty;
    for (int i = 0; i < 30; ++i) thirty += "0123456789";
    EXPECT_EQ(GetVersionInfo(binPath("testwin_300.exe")), thirty.substr(0, 259));
}

TEST(DescribeExecutable, ReadsAgainOnlyWhenTheFileChanged) {
    int reads = 0;
    DescriptionCache cache([&reads](const std::wstring& path) {
        ++reads;
        return GetVersionInfo(path);
    });
    std::string narrowPath = e2e::freshTempDir("describe") + "\\described.exe";
    std::wstring path = e2e::widen(narrowPath);
    e2e::copyFileOrThrow(e2e::binPath("testwin_ver.exe"), narrowPath);
    EXPECT_EQ(cache.describe(path), "Lookout Test Window");
    EXPECT_EQ(cache.describe(path), "Lookout Test Window");
    EXPECT_EQ(reads, 1) << "an unchanged file is read once";
    // Another executable under the same path: its own description, not the one read before.
    e2e::copyFileOrThrow(e2e::binPath("testwin_two.exe"), narrowPath);
    EXPECT_EQ(cache.describe(path), "Zweite Beschreibung");
    e2e::copyFileOrThrow(e2e::binPath("testwin_plain.exe"), narrowPath);
    EXPECT_EQ(cache.describe(path), "-");
    EXPECT_EQ(reads, 3);
    // A build of the same size and times moved into its place is another file all the same.
    e2e::copyFileOrThrow(e2e::binPath("testwin_two.exe"), narrowPath);
    EXPECT_EQ(cache.describe(path), "Zweite Beschreibung");
    std::string rebuilt = e2e::readFile(narrowPath);
    rebuilt[rebuilt.find(std::string("u\0n\0g\0\0", 7)) + 4] = 'x';  // "Beschreibunx"
    const std::string replacement = narrowPath + ".new";
    e2e::writeFileOrThrow(replacement, rebuilt);
    WIN32_FILE_ATTRIBUTE_DATA old;
    ASSERT_TRUE(GetFileAttributesExA(narrowPath.c_str(), GetFileExInfoStandard, &old));
    {
        lookout::unique_hfile fresh(CreateFileA(replacement.c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(SetFileTime(fresh.get(), &old.ftCreationTime, nullptr, &old.ftLastWriteTime));
    }
    ASSERT_TRUE(MoveFileExA(replacement.c_str(), narrowPath.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(cache.describe(path), "Zweite Beschreibunx");
    EXPECT_EQ(reads, 5);
    DeleteFileA(narrowPath.c_str());
    EXPECT_EQ(cache.describe(path), "-") << "a file that is gone has no description";
    EXPECT_EQ(describeExecutable(binPath("testwin_ver.exe")), "Lookout Test Window");
}

// A process id the system hands on is another process; past the limit the entry used longest
// ago goes, not one just used.
TEST(ProcessCache, KnowsAProcessByIdAndCreationTimeAndKeepsTheRecentlyUsed) {
    ProcessCache cache;
    cache.remember({10, 111}, ProcessImage{L"first", {}, {}});
    EXPECT_EQ(cache.find({10, 222}), nullptr);
    for (DWORD id = 100; id < 100 + ProcessCache::kLimit; ++id) {
        cache.remember({id, 1}, ProcessImage{L"other", {}, {}});
        cache.find({10, 111});
    }
    EXPECT_EQ(cache.find({10, 111})->imagePath, L"first");
    EXPECT_EQ(cache.find({100, 1}), nullptr);
    // The whole creation time: processes started within 7 minutes differ only in its low half.
    FILETIME created, exited, kernel, user;
    std::uint64_t time = 0;
    ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user) &&
                processCreationTime(GetCurrentProcess(), time));
    EXPECT_EQ(time, (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime);
}

// Each short element is looked up on its own, at any depth: here a long path of 2,400
// characters behind a short one of 130, which the system's call for a whole path (under Wine)
// does not form.
TEST(LongPathOf, ReplacesEachShortElementAtAnyDepth) {
    std::vector<std::wstring> folders{L"\\\\?\\C:\\lookout-deep-" + std::to_wstring(GetCurrentProcessId())};
    for (int level = 0; level < 12; ++level)
        folders.push_back(folders.back() + L"\\" + std::wstring(200, L'd') + std::to_wstring(level));
    for (const std::wstring& each : folders) ASSERT_TRUE(CreateDirectoryW(each.c_str(), nullptr));
    const std::wstring longPath = folders.back() + L"\\Deep Window.exe";
    ASSERT_TRUE(CopyFileW(binPath("testwin_plain.exe").c_str(), longPath.c_str(), FALSE));
    std::wstring shortPath(kLongestPath, L'\0');
    shortPath.resize(GetShortPathNameW(longPath.c_str(), &shortPath[0], kLongestPath));
    EXPECT_EQ(longPathOf(shortPath), longPath);
    EXPECT_EQ(longPathOf(shortPath.substr(4)), longPath.substr(4));
    DeleteFileW(longPath.c_str());
    EXPECT_EQ(longPathOf(shortPath), L"") << "a file that is gone";
    for (auto each = folders.rbegin(); each != folders.rend(); ++each) RemoveDirectoryW(each->c_str());
}

std::string ownLongPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char longPath[8192] = {};
    GetLongPathNameA(path, longPath, sizeof longPath);
    return longPath;
}

TEST(GetModuleInfo, FillsPathDescriptionAndTitleOfAWindow) {
    unit::OwnWindow window("LookoutUnitApp", "Unit $ title");
    AppRecord app;
    ASSERT_EQ(GetModuleInfo(GetCurrentProcessId(), window.get(), app), 0u);
    EXPECT_EQ(app.modulePath, ownLongPath());
    EXPECT_EQ(app.description, "-") << "the unit test executable has no version resource";
    EXPECT_EQ(app.title, "Unit $ title");
}

TEST(GetModuleInfo, ReportsTheDesktopForProgmanAndWorkerWWindows) {
    for (const char* className : {"Progman", "workerw"}) {
        unit::OwnWindow window(className, "Program Manager");
        AppRecord app;
        ASSERT_EQ(GetModuleInfo(GetCurrentProcessId(), window.get(), app), 0u);
        EXPECT_EQ(app.modulePath, "Desktop") << className;
        EXPECT_EQ(app.description, "Desktop") << className;
        EXPECT_EQ(app.title, "Program Manager") << className;
    }
}

// A window that ends as it comes to the front has no title left to read: it is not reported
// with an empty one.
TEST(GetModuleInfo, AWindowGoneByTheTimeItsTitleIsReadGivesAnErrorAndLeavesTheRecord) {
    unit::OwnWindow window("LookoutUnitApp", "Gone soon");
    HWND gone = window.get();
    window.destroy();
    AppRecord app{"previous path", "previous description", "previous title"};
    EXPECT_NE(GetModuleInfo(GetCurrentProcessId(), gone, app), 0u);
    EXPECT_EQ(app.modulePath, "previous path");
    EXPECT_EQ(app.description, "previous description");
    EXPECT_EQ(app.title, "previous title");
}

TEST(GetModuleInfo, AProcessThatCannotBeOpenedGivesAnErrorAndLeavesTheRecord) {
    AppRecord app{"previous path", "previous description", "previous title"};
    EXPECT_NE(GetModuleInfo(0x7FFFFFF0u, nullptr, app), 0u);
    EXPECT_EQ(app.modulePath, "previous path");
    EXPECT_EQ(app.description, "previous description");
    EXPECT_EQ(app.title, "previous title");
}

}  // namespace
