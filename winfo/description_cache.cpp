#include "winfo/description_cache.h"

#include <utility>

#include "util/unique_handle.h"
#include "winfo/image_path.h"
#include "winfo/version_info.h"

DescriptionCache::DescriptionCache(Reader read) : read_(std::move(read)) {}

namespace {

bool readFileInformation(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& information) {
    // Attributes only: an executable that runs, or is being replaced, can still be asked.
    lookout::unique_hfile file(CreateFileW(fileApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && GetFileInformationByHandle(file.get(), &information);
}

bool sameTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) == 0; }

}  // namespace

std::string DescriptionCache::describe(const std::wstring& path) {
    BY_HANDLE_FILE_INFORMATION file;
    if (!readFileInformation(path, file)) return read_(path);
    auto known = known_.find(path);
    if (known != known_.end() && sameFile(known->second.file, file))
        return known->second.description;
    std::string description = read_(path);
    if (known_.size() >= kLimit) known_.clear();
    known_[path] = Known{file, description};
    return description;
}

bool DescriptionCache::sameFile(const BY_HANDLE_FILE_INFORMATION& known,
                                const BY_HANDLE_FILE_INFORMATION& file) {
    return sameTime(known.ftLastWriteTime, file.ftLastWriteTime) &&
           sameTime(known.ftCreationTime, file.ftCreationTime) &&
           known.nFileSizeHigh == file.nFileSizeHigh && known.nFileSizeLow == file.nFileSizeLow &&
           known.dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
           known.nFileIndexHigh == file.nFileIndexHigh &&
           known.nFileIndexLow == file.nFileIndexLow;
}

std::string describeExecutable(const std::wstring& path) {
    // Never destroyed: the exit of the process must not free it under a monitor thread that is
    // still using it.
    static DescriptionCache* const cache = new DescriptionCache(GetVersionInfo);
    return cache->describe(path);
}
