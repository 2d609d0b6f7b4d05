#pragma once
// What identification has learned about each process seen, so that a switch back to a window of
// a known process costs opening it and reading its creation time, not a path lookup. A process
// is known by its id and creation time: an id the system hands on to a new process is a new key.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

struct ProcessImage {
    std::wstring imagePath;                  // as the kernel names it
    std::optional<std::wstring> modulePath;  // its long form (or imagePath), once formed
    std::optional<std::string> description;  // the record's description, once read
};

class ProcessCache {
public:
    using Key = std::pair<DWORD, std::uint64_t>;  // process id, creation time

    // Processes kept at most; past this the one used longest ago goes.
    static constexpr std::size_t kLimit = 256;

    // The image of a known process, or null. Finding an entry makes it the most recently used,
    // so a pointer just found survives the next remember().
    ProcessImage* find(const Key& key);
    ProcessImage& remember(const Key& key, ProcessImage image);

private:
    struct Entry {
        ProcessImage image;
        std::uint64_t lastUse;
    };
    std::map<Key, Entry> entries_;
    std::uint64_t uses_ = 0;
};

// The creation time of `process` as a key part; false when it cannot be read or is 0.
bool processCreationTime(HANDLE process, std::uint64_t& time);
