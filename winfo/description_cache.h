#pragma once
// The file descriptions of the executables seen so far. Reading a version resource is the
// costliest step of identifying a window, so each executable's is read again only when its file
// has changed since it was last read: another size or last write time, or another file at the
// same path (its volume and file index, or its creation time, differ), as when an executable is
// replaced by a build of the same size and time.

#include <windows.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>

class DescriptionCache {
public:
    using Reader = std::function<std::string(const std::wstring& path)>;

    // Executables kept at most; a long run across many of them starts afresh past this.
    static constexpr std::size_t kLimit = 256;

    // `read` gives the description of a file, as GetVersionInfo does.
    explicit DescriptionCache(Reader read);

    // The description of the executable at `path`. A file whose identity and attributes cannot
    // be read is read every time.
    std::string describe(const std::wstring& path);

private:
    struct Known {
        BY_HANDLE_FILE_INFORMATION file;
        std::string description;
    };
    static bool sameFile(const BY_HANDLE_FILE_INFORMATION& known,
                         const BY_HANDLE_FILE_INFORMATION& file);

    Reader read_;
    std::map<std::wstring, Known> known_;
};

// GetVersionInfo through the program's one cache, which lives as long as the process.
std::string describeExecutable(const std::wstring& path);
