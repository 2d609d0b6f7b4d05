#include "browser/window_text.h"

#include <cstring>

int requestWindowText(HWND window, char* buffer, int capacity) {
    if (!buffer || capacity <= 0) return 0;
    buffer[0] = '\0';
    DWORD_PTR copied = 0;
    // SMTO_ABORTIFHUNG returns at once for a window the system already deems hung; the time-out
    // covers one that has only just stopped answering.
    LRESULT sent = SendMessageTimeoutA(window, WM_GETTEXT, static_cast<WPARAM>(capacity),
                                       reinterpret_cast<LPARAM>(buffer),
                                       SMTO_ABORTIFHUNG | SMTO_BLOCK, kTextRequestTimeoutMs,
                                       &copied);
    if (!sent) {
        buffer[0] = '\0';
        return 0;
    }
    // Another process's window decides what it writes: never trust it to end the text.
    buffer[capacity - 1] = '\0';
    return static_cast<int>(std::strlen(buffer));
}
