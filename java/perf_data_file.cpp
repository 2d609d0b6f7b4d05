#include "java/perf_data_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "util/unique_handle.h"

using lookout::unique_hfile;
using lookout::unique_kernel_handle;
using lookout::unique_view;

namespace {

// A Java virtual machine's file is 32 KiB unless told otherwise, and the command stands near its
// start. Any process of the user can put a file in the folder: a large or sparse one must not
// hold the poll while all of it is searched.
constexpr std::ptrdiff_t kSearchedBytes = 16 << 20;

// Bytes readable in the view. The file may have shrunk between reading its size and creating
// the mapping; the mapping (and so the view) then ends earlier than that size says.
std::size_t viewSize(const void* view) {
    MEMORY_BASIC_INFORMATION info = {};
    if (VirtualQuery(view, &info, sizeof info) == 0) return 0;
    return info.RegionSize;
}

}  // namespace

int readPerfDataValue(const std::string& path, const std::string& key, std::string& value,
                      std::uint64_t notBefore) {
    // The virtual machine keeps the file open and goes on writing it.
    unique_hfile file(CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return kPerfDataCannotOpen;
    if (notBefore != 0) {
        FILETIME created = {};
        if (GetFileTime(file.get(), &created, nullptr, nullptr) &&
            ((std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime) < notBefore)
            return kPerfDataOlderThanProcess;
    }

    LARGE_INTEGER fileSize = {};
    if (!GetFileSizeEx(file.get(), &fileSize)) return kPerfDataNoSize;
    if (fileSize.HighPart > 0) return kPerfDataTooLarge;
    // Taken as a signed 32-bit number: a file of 2 GiB or more is searched as if it held nothing.
    std::ptrdiff_t size = static_cast<std::int32_t>(fileSize.LowPart);

    unique_kernel_handle mapping(
        CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return kPerfDataCannotMap;
    // A smaller file is mapped whole (0): a file that shrank since its size was read still gives
    // a view. A file of 2 GiB or more (a negative size) is not searched at all.
    const bool large = size > kSearchedBytes || size < 0;
    if (size > kSearchedBytes) size = kSearchedBytes;
    unique_view view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0,
                                   large ? static_cast<SIZE_T>(kSearchedBytes) : 0));
    if (!view) return kPerfDataNoView;
    if (size > 0)
        size = std::min(size, static_cast<std::ptrdiff_t>(viewSize(view.get())));

    return extractPerfDataValue(static_cast<const char*>(view.get()), size, key, value);
}
