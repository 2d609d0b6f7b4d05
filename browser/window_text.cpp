#include "browser/window_text.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "util/record_text.h"

namespace {

LRESULT sendGetText(HWND window, char* buffer, int capacity, DWORD_PTR& copied) {
    return SendMessageTimeoutA(window, WM_GETTEXT, static_cast<WPARAM>(capacity),
                               reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               kTextRequestTimeoutMs, &copied);
}

LRESULT sendGetText(HWND window, wchar_t* buffer, int capacity, DWORD_PTR& copied) {
    return SendMessageTimeoutW(window, WM_GETTEXT, static_cast<WPARAM>(capacity),
                               reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               kTextRequestTimeoutMs, &copied);
}

std::size_t lengthOf(const char* text) { return std::strlen(text); }
std::size_t lengthOf(const wchar_t* text) { return std::wcslen(text); }

template <typename Char>
int request(HWND window, Char* buffer, int capacity) {
    if (!buffer || capacity <= 0) return 0;
    buffer[0] = 0;
    DWORD_PTR copied = 0;
    // SMTO_ABORTIFHUNG returns at once for a window the system already deems hung; the time-out
    // covers one that has only just stopped answering.
    if (!sendGetText(window, buffer, capacity, copied)) {
        buffer[0] = 0;
        return 0;
    }
    // Another process's window decides what it writes: never trust it to end the text.
    buffer[capacity - 1] = 0;
    return static_cast<int>(lengthOf(buffer));
}

}  // namespace

int requestWindowText(HWND window, char* buffer, int capacity) {
    return request(window, buffer, capacity);
}

int requestWindowText(HWND window, wchar_t* buffer, int capacity) {
    return request(window, buffer, capacity);
}

std::string requestWindowRecordText(HWND window, char* buffer, int capacity) {
    if (!buffer || capacity <= 0) return {};
    // Asked for in UTF-16 and converted here, so that the cut never splits a character. As many
    // units as bytes: each unit gives at least one byte, so the cut to bytes, not the buffer,
    // decides what is kept.
    std::vector<wchar_t> wide(static_cast<std::size_t>(capacity));
    const int length = requestWindowText(window, wide.data(), capacity);
    std::string text = recordText(std::wstring(wide.data(), static_cast<std::size_t>(length)),
                                  static_cast<std::size_t>(capacity) - 1);
    // The caller's buffer holds the same text, as the narrow request would leave it.
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    return text;
}
