#include "winfo/image_path.h"

#include <utility>

#include "util/unique_handle.h"

namespace {

const std::wstring kExtendedPrefix = L"\\\\?\\";
const std::wstring kExtendedUncPrefix = L"\\\\?\\UNC\\";

// "C:\dir" becomes "\\?\C:\dir" and "\\server\share" becomes "\\?\UNC\server\share"; a path
// that has a prefix already, or is relative, stays as it is.
std::wstring extendedPath(const std::wstring& path) {
    if (path.compare(0, 4, kExtendedPrefix) == 0 || path.compare(0, 4, L"\\\\.\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0) return kExtendedUncPrefix + path.substr(2);
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return kExtendedPrefix + path;
    return path;
}

// Where the elements of `path` begin: at the "\\" after the drive ("C:") or after the server and
// share of a network path, behind a "\\?\" prefix too.
std::size_t elementsStart(const std::wstring& path) {
    std::size_t at = 0;
    int rootParts = 1;
    if (path.compare(0, kExtendedUncPrefix.size(), kExtendedUncPrefix) == 0) {
        at = kExtendedUncPrefix.size();
        rootParts = 2;
    } else if (path.compare(0, 4, kExtendedPrefix) == 0 || path.compare(0, 4, L"\\\\.\\") == 0) {
        at = 4;
    } else if (path.compare(0, 2, L"\\\\") == 0) {
        at = 2;
        rootParts = 2;
    }
    for (int part = 0; part < rootParts; ++part) {
        at = path.find(L'\\', at + (part ? 1 : 0));
        if (at == std::wstring::npos) return path.size();
    }
    return at;
}

// The long name of the last element of `path` as the folder above it lists it, or empty.
std::wstring longNameOf(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    lookout::unique_hfind search(FindFirstFileW(fileApiPath(path).c_str(), &found));
    if (!search) return {};
    return found.cFileName;
}

}  // namespace

DWORD queryImagePath(HANDLE process, std::wstring& path) {
    std::wstring image(kLongestPath, L'\0');
    DWORD size = kLongestPath;
    if (!QueryFullProcessImageNameW(process, 0, &image[0], &size)) {
        DWORD error = GetLastError();
        return error ? error : ERROR_MOD_NOT_FOUND;
    }
    if (size == 0) return ERROR_MOD_NOT_FOUND;
    image.resize(size);
    path = std::move(image);
    return ERROR_SUCCESS;
}

std::wstring longPathOf(const std::wstring& path) {
    // Only a path with a short (8.3) element has a long form. Each such element is looked up in
    // its folder, one at a time: the system's call that does it for a whole path overflows the
    // stack of its thread under Wine once the long path passes about 1,000 characters.
    if (path.find(L'~') == std::wstring::npos) return path;
    const std::size_t root = elementsStart(path);
    std::wstring longPath = path.substr(0, root);
    for (std::size_t at = root; at < path.size();) {
        std::size_t next = path.find(L'\\', at + 1);
        if (next == std::wstring::npos) next = path.size();
        std::wstring element = path.substr(at + 1, next - at - 1);
        if (element.find(L'~') != std::wstring::npos) {
            element = longNameOf(longPath + L'\\' + element);
            if (element.empty() || longPath.size() + 1 + element.size() >= kLongestPath) return {};
        }
        longPath += L'\\';
        longPath += element;
        at = next;
    }
    return longPath;
}

std::wstring fileApiPath(const std::wstring& path) {
    return path.size() < MAX_PATH ? path : extendedPath(path);
}
