#include "winfo/process_cache.h"

#include <algorithm>

ProcessImage* ProcessCache::find(const Key& key) {
    auto found = entries_.find(key);
    if (found == entries_.end()) return nullptr;
    found->second.lastUse = ++uses_;
    return &found->second.image;
}

ProcessImage& ProcessCache::remember(const Key& key, ProcessImage image) {
    if (entries_.size() >= kLimit && entries_.find(key) == entries_.end()) {
        auto oldest = std::min_element(
            entries_.begin(), entries_.end(),
            [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
        entries_.erase(oldest);
    }
    Entry& entry = entries_[key];
    entry.image = std::move(image);
    entry.lastUse = ++uses_;
    return entry.image;
}

bool processCreationTime(HANDLE process, std::uint64_t& time) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
    time = (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    // A time of 0 tells one process from no other: such a process is not kept.
    return time != 0;
}
