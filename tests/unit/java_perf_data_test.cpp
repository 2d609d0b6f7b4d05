// The performance-data folder, and the value read from files that the tests write.
#include <gtest/gtest.h>

#include <string>

#include "e2e/driver.h"
#include "java/perf_data_file.h"
#include "java/perf_data_folder.h"
#include "unit/memory_sink.h"
#include "util/scope_exit.h"
#include "util/unique_handle.h"

namespace {

using namespace std::string_literals;

TEST(PerfDataFolder, IsBuiltFromTempAndUserNameOrNotAtAll) {
    unit::MemorySink out;
    EXPECT_EQ(perfDataDirectoryFrom("C:\\T\\", "u1", out), "C:\\T\\\\hsperfdata_u1\\");
    EXPECT_EQ(perfDataDirectoryFrom("", "u1", out), "");
    EXPECT_EQ(out.content(), "");
    EXPECT_EQ(perfDataDirectoryFrom("C:\\T", std::nullopt, out), "noname_error");
    EXPECT_EQ(out.content(), "GetUserName error\n") << "narrow bytes, bare line feed";

    char temp[MAX_PATH] = {};
    GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
    auto restore = lookout::scope_exit([&] { SetEnvironmentVariableA("TEMP", temp); });
    SetEnvironmentVariableA("TEMP", nullptr);
    EXPECT_EQ(perfDataDirectory(out), "") << "not the root of the current drive";
}

class PerfDataFile : public ::testing::Test {
protected:
    void TearDown() override {
        for (int file = 1; file <= count_; ++file)
            DeleteFileA((folder_ + "\\" + std::to_string(file)).c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    // A file with these bytes at offset `at`; sparse up to `size` when that is larger.
    std::string write(const std::string& bytes, LONGLONG size = 0, LONGLONG at = 0) {
        std::string path = folder_ + "\\" + std::to_string(++count_);
        lookout::unique_hfile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER start;
        start.QuadPart = at;
        SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN);
        DWORD written = 0;
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = size;
        if (size) {
            EXPECT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) &&
                        SetEndOfFile(file.get()));
        }
        return path;
    }
    // The result, then "|" and the value ("-" when none was stored).
    static std::string read(const std::string& path) {
        std::string value = "-";
        return std::to_string(readPerfDataValue(path, "javaCommand", value)) + "|" + value;
    }
    std::string folder_ = e2e::freshTempDir("perfdata");
    int count_ = 0;
};

TEST_F(PerfDataFile, TheValueIsTheTextAfterTheOneHoldingTheFirstKey) {
    EXPECT_EQ(read(write("\xCA\xFE\0\x01sun.rt.javaCommand\0com.example.Main -x\0tail\0"s)),
              "0|com.example.Main -x");
    EXPECT_EQ(read(write("a.javaCommand\0first\0b.javaCommand\0second\0"s)), "0|first");
    EXPECT_EQ(read(write("javaCommand\0\0next\0"s)), "0|");
    EXPECT_EQ(read(write(std::string(200000, 'x') + "javaCommand\0far\0"s)), "0|far");
    // Texts that run to the end of a file filling its last page: nothing beyond is read.
    const std::string cut = "javaCommand\0"s + std::string(4096 - 12, 'v');
    EXPECT_EQ(read(write(cut)), "0|" + cut.substr(12));
    EXPECT_EQ(read(write(std::string(4096 - 11, 'x') + "javaCommand")), "-7|-");
}

TEST_F(PerfDataFile, FailuresLeaveTheValueAlone) {
    EXPECT_EQ(read(write("sun.rt.javaComman\0d\0"s)), "-6|-");
    EXPECT_EQ(read(write("java")), "-6|-") << "key longer than the file";
    EXPECT_EQ(read(write("sun.rt.javaCommand\0"s)), "-7|-") << "NUL is the last byte";
    EXPECT_EQ(read(write("")), "-4|-");
    EXPECT_EQ(read(folder_ + "\\missing"), "-1|-");
    EXPECT_EQ(read(write("javaCommand\0Big\0"s, 0x100000000LL)), "-3|-");
    EXPECT_EQ(read(write("javaCommand\0Big\0"s, 0x80000000LL)), "-6|-") << "negative size";
}

// Any process of the user can put a large file there; only the first 16 MiB are searched.
TEST_F(PerfDataFile, AKeyBeyondTheFirst16MiBIsNotFound) {
    const LONGLONG searched = 16 << 20, size = searched + 4096;
    const std::string entry = "javaCommand\0near\0"s;
    EXPECT_EQ(read(write(entry, size, searched - static_cast<LONGLONG>(entry.size()))), "0|near");
    EXPECT_EQ(read(write("javaCommand\0far\0"s, size, searched)), "-6|-");
}

TEST_F(PerfDataFile, IsReadWhileAnotherHandleHoldsItOpenForWriting) {
    std::string path = write("javaCommand\0Old\0"s);
    lookout::unique_hfile writer(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer);
    DWORD written = 0;
    SetFilePointer(writer.get(), 12, nullptr, FILE_BEGIN);
    WriteFile(writer.get(), "New", 3, &written, nullptr);
    EXPECT_EQ(read(path), "0|New");
}

}  // namespace
