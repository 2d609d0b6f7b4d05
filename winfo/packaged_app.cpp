#include "winfo/packaged_app.h"

#include "winfo/desktop_class.h"

namespace {

constexpr char kFrameClass[] = "ApplicationFrameWindow";
constexpr wchar_t kFrameHostName[] = L"ApplicationFrameHost.exe";
constexpr wchar_t kAppWindowClass[] = L"Windows.UI.Core.CoreWindow";
// A frame holds one app window; a frame of a hostile process is not searched for ever.
constexpr int kMaxAppWindows = 16;

}  // namespace

bool isApplicationFrame(const std::string& className, const std::wstring& imagePath) {
    if (CompareNoCase(className, kFrameClass) != 0) return false;
    wchar_t systemFolder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(systemFolder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::wstring frameHost = std::wstring(systemFolder, length) + L"\\" + kFrameHostName;
    return CompareStringOrdinal(imagePath.c_str(), static_cast<int>(imagePath.size()),
                                frameHost.c_str(), static_cast<int>(frameHost.size()),
                                TRUE) == CSTR_EQUAL;
}

DWORD packagedAppProcessId(HWND frame, DWORD frameProcessId) {
    HWND child = nullptr;
    for (int index = 0; index < kMaxAppWindows; ++index) {
        child = FindWindowExW(frame, child, kAppWindowClass, nullptr);
        if (!child) break;
        DWORD processId = 0;
        GetWindowThreadProcessId(child, &processId);
        if (processId != 0 && processId != frameProcessId) return processId;
    }
    return 0;
}
