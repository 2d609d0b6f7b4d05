#include "winfo/image_path.h"

#include <utility>

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

// The inverse of extendedPath for a path it made.
std::wstring withoutExtendedPrefix(const std::wstring& path) {
    if (path.compare(0, kExtendedUncPrefix.size(), kExtendedUncPrefix) == 0)
        return L"\\\\" + path.substr(kExtendedUncPrefix.size());
    if (path.compare(0, kExtendedPrefix.size(), kExtendedPrefix) == 0)
        return path.substr(kExtendedPrefix.size());
    return path;
}

std::wstring callGetLongPathName(const std::wstring& path) {
    std::wstring longPath(kLongestPath, L'\0');
    DWORD length = GetLongPathNameW(path.c_str(), &longPath[0], kLongestPath);
    if (length == 0 || length >= kLongestPath) return {};
    longPath.resize(length);
    return longPath;
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
    // Only a path with a short (8.3) element has a long form to ask for, and the system's call
    // is asked only for a path of bounded length: under Wine it overflows the stack of its
    // thread on a path of about 1,500 characters.
    if (path.find(L'~') == std::wstring::npos) return path;
    if (path.size() > kLongestPathAskedForLongForm) return {};
    std::wstring longPath = callGetLongPathName(path);
    if (!longPath.empty()) return longPath;
    // Windows forms a long path beyond MAX_PATH only from the prefixed form.
    std::wstring extended = extendedPath(path);
    if (extended == path) return {};
    return withoutExtendedPrefix(callGetLongPathName(extended));
}

std::wstring fileApiPath(const std::wstring& path) {
    return path.size() < MAX_PATH ? path : extendedPath(path);
}
