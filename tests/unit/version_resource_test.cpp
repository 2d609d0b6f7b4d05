#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

// The Lookout.exe built beside the tests, or another one (from a release package) named in
// LOOKOUT_VERSION_CHECK_EXE.
TEST(VersionResource, LookoutReportsTheProjectVersion) {
    const char* other = std::getenv("LOOKOUT_VERSION_CHECK_EXE");
    const std::string exe = other && *other ? other : e2e::binPath("Lookout.exe");
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
    ASSERT_FALSE(block.empty()) << exe << " has no version resource";
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    auto text = [&block](const std::string& name) -> std::string {
        void* value = nullptr;
        UINT size = 0;
        const std::string key = "\\StringFileInfo\\040904b0\\" + name;
        return VerQueryValueA(block.data(), key.c_str(), &value, &size) && size > 0
                   ? static_cast<const char*>(value) : "(none)";
    };
    EXPECT_EQ(text("FileVersion"), LOOKOUT_VERSION);
    EXPECT_EQ(text("ProductVersion"), LOOKOUT_VERSION);
    EXPECT_EQ(text("ProductName"), "Lookout");
    EXPECT_EQ(text("OriginalFilename"), "Lookout.exe");
    EXPECT_EQ(text("FileDescription"), "Lookout foreground window tracker");
    // The numbers Windows shows in the file's properties.
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                  std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                  std::to_string(HIWORD(fixed->dwFileVersionLS)), LOOKOUT_VERSION);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
}

}  // namespace
