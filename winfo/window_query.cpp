#include "winfo/window_query.h"

#include <cwchar>

#include "diag/debug_log.h"
#include "util/record_text.h"
#include "util/unique_handle.h"

namespace {

// Shared by every call; all callers run on the monitor thread.
char classNameBuffer[kWindowTextBufferSize] = {};

void logSystemMessage(DWORD code) {
    if (!debugLogFile) return;
    char* text = nullptr;
    DWORD size = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                    FORMAT_MESSAGE_FROM_SYSTEM,
                                nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    lookout::unique_hlocal owner(text);
    if (size && text) logMessage("%s", text);
}

// Only adds diagnostics: a window of another process normally has a class this process does
// not know (error 1411).
void logClassDiagnostics(HWND window) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    if (!instance) {
        logMessage("Warning %u: HINSTANCE was not obtained.", static_cast<unsigned>(GetLastError()));
        return;
    }
    WNDCLASSA classInfo = {};
    if (GetClassInfoA(instance, classNameBuffer, &classInfo)) return;
    DWORD code = GetLastError();
    if (code == ERROR_CLASS_DOES_NOT_EXIST) {
        logMessage("Warning %u: window class does not exist: %s", static_cast<unsigned>(code),
                   classNameBuffer);
        return;
    }
    logMessage("Error %u: window class info cannot be obtained for window: %s",
               static_cast<unsigned>(code), classNameBuffer);
    logSystemMessage(code);
}

// The title read in UTF-16 and converted here, cut before the first character that does not fit
// whole in the 1023 bytes kept: the A function would cut a double-byte character in half. A
// buffer of kWindowTextBufferSize units holds at least those bytes, as every unit gives at least
// one byte.
std::string wideTitle(HWND window) {
    wchar_t title[kWindowTextBufferSize];
    int length = GetWindowTextW(window, title, kWindowTextBufferSize);
    if (length <= 0) return {};
    title[kWindowTextBufferSize - 1] = L'\0';
    return recordText(std::wstring(title, std::wcslen(title)), kWindowTextBufferSize - 1);
}

}  // namespace

std::string GetWindowClassName(HWND window) {
    // A failed read (a window that has just gone) must not return the previous call's name.
    if (GetClassNameA(window, classNameBuffer, kWindowTextBufferSize) <= 0) {
        classNameBuffer[0] = '\0';
        return {};
    }
    if (debugLogFile) logClassDiagnostics(window);
    return classNameBuffer;
}

std::string GetWindowTitle(HWND window) {
    // Wine answers GetWindowTextA(NULL) with a few bytes of garbage instead of failing.
    if (!window) return {};
    return wideTitle(window);
}
