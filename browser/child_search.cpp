#include "browser/child_search.h"

BOOL enumChildWindowsGuarded(HWND parent, WNDENUMPROC callback, ChildSearch& search) {
    BOOL finished = EnumChildWindows(parent, callback, reinterpret_cast<LPARAM>(&search));
    if (search.error) std::rethrow_exception(search.error);
    return finished;
}
