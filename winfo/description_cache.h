#pragma once
// The file descriptions of the executables seen so far. Reading a version resource is the
// costliest step of identifying a window, so each executable's is read again only when its file
// has changed (another size or last write time) since it was last read.

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

    // The description of the executable at `path`. A file whose attributes cannot be read is
    // read every time.
    std::string describe(const std::wstring& path);

private:
    struct Known {
        FILETIME lastWrite;
        DWORD sizeHigh;
        DWORD sizeLow;
        std::string description;
    };
    static bool sameFile(const Known& known, const WIN32_FILE_ATTRIBUTE_DATA& file);

    Reader read_;
    std::map<std::wstring, Known> known_;
};

// GetVersionInfo through the program's one cache, which lives as long as the process.
std::string describeExecutable(const std::wstring& path);
