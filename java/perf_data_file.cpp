#include "java/perf_data_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "util/unique_handle.h"

using lookout::unique_hfile;
using lookout::unique_kernel_handle;
using lookout::unique_view;

namespace {

// Bytes readable in the view. The file may have shrunk between reading its size and creating
// the mapping; the mapping (and so the view) then ends earlier than that size says.
std::size_t viewSize(const void* view) {
    MEMORY_BASIC_INFORMATION info = {};
    if (VirtualQuery(view, &info, sizeof info) == 0) return 0;
    return info.RegionSize;
}

}  // namespace

int readPerfDataValue(const std::string& path, const std::string& key, std::string& value) {
    // The virtual machine keeps the file open and goes on writing it.
    unique_hfile file(CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return kPerfDataCannotOpen;

    LARGE_INTEGER fileSize = {};
    if (!GetFileSizeEx(file.get(), &fileSize)) return kPerfDataNoSize;
    if (fileSize.HighPart > 0) return kPerfDataTooLarge;
    // Taken as a signed 32-bit number: a file of 2 GiB or more is searched as if it held nothing.
    std::ptrdiff_t size = static_cast<std::int32_t>(fileSize.LowPart);

    unique_kernel_handle mapping(
        CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return kPerfDataCannotMap;
    unique_view view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return kPerfDataNoView;
    if (size > 0)
        size = std::min(size, static_cast<std::ptrdiff_t>(viewSize(view.get())));

    return extractPerfDataValue(static_cast<const char*>(view.get()), size, key, value);
}
