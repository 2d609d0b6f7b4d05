#include "browser/msaa_window_object.h"

HRESULT getWindowAccessible(HWND window, DWORD timeoutMs, lookout::com_ptr<IAccessible>& object,
                            LONG objectId) {
    object.reset();
    // Passed to the window and back to ObjectFromLresult unchanged, as the protocol asks.
    const WPARAM flags = 0;
    DWORD_PTR answer = 0;
    // SendMessage would wait for ever on a browser whose window thread is stuck; SMTO_BLOCK keeps
    // this thread from handling other messages (and re-entering the monitor loop) meanwhile.
    SetLastError(ERROR_SUCCESS);
    // The id travels as a 32-bit value, as AccessibleObjectFromWindow sends it: OBJID_CLIENT (-4)
    // arrives as 0xFFFFFFFC, not sign-extended.
    const LPARAM id = static_cast<LPARAM>(static_cast<DWORD>(objectId));
    if (!SendMessageTimeoutA(window, WM_GETOBJECT, flags, id,
                             SMTO_BLOCK | SMTO_ABORTIFHUNG, timeoutMs, &answer)) {
        DWORD error = GetLastError();
        return HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : ERROR_TIMEOUT);
    }
    LRESULT reply = static_cast<LRESULT>(answer);
    HRESULT result;
    if (reply == 0) {
        // The window serves no object of its own: the system builds one.
        result = CreateStdAccessibleObject(window, objectId, __uuidof(IAccessible),
                                           object.put_void());
    } else if (reply < 0) {
        result = static_cast<HRESULT>(reply);  // the window's own failure code
    } else {
        // The reply refers to the marshaled object; unmarshaling it also frees what the window
        // set aside for it.
        result = ObjectFromLresult(reply, __uuidof(IAccessible), flags, object.put_void());
    }
    if (SUCCEEDED(result) && !object) result = E_NOINTERFACE;
    if (FAILED(result)) object.reset();
    return result;
}
