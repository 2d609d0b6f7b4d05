#include "winfo/description_cache.h"

#include <utility>

#include "winfo/image_path.h"
#include "winfo/version_info.h"

DescriptionCache::DescriptionCache(Reader read) : read_(std::move(read)) {}

std::string DescriptionCache::describe(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (!GetFileAttributesExW(fileApiPath(path).c_str(), GetFileExInfoStandard, &file))
        return read_(path);
    auto known = known_.find(path);
    if (known != known_.end() && sameFile(known->second, file)) return known->second.description;
    std::string description = read_(path);
    if (known_.size() >= kLimit) known_.clear();
    known_[path] = Known{file.ftLastWriteTime, file.nFileSizeHigh, file.nFileSizeLow, description};
    return description;
}

bool DescriptionCache::sameFile(const Known& known, const WIN32_FILE_ATTRIBUTE_DATA& file) {
    return CompareFileTime(&known.lastWrite, &file.ftLastWriteTime) == 0 &&
           known.sizeHigh == file.nFileSizeHigh && known.sizeLow == file.nFileSizeLow;
}

std::string describeExecutable(const std::wstring& path) {
    // Never destroyed: the exit of the process must not free it under a monitor thread that is
    // still using it.
    static DescriptionCache* const cache = new DescriptionCache(GetVersionInfo);
    return cache->describe(path);
}
