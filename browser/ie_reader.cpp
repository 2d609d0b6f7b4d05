#include "browser/ie_reader.h"

#include "browser/child_search.h"
#include "browser/window_text.h"
#include "diag/debug_log.h"
#include "winfo/window_query.h"

namespace {

constexpr int kUrlBufferSize = 1024;
constexpr char kToolbarClass[] = "ToolbarWindow32";
constexpr char kAddressToolbarText[] = "Address Combo Control";
constexpr char kEditClass[] = "Edit";

}  // namespace

std::string getIExprolerUrl(HWND window) {
    traceFunction("getIExprolerUrl");
    std::string result;
    passThroughChildIExprolerWindows(window, result);
    return result;
}

void passThroughChildIExprolerWindows(HWND window, std::string& result) {
    traceFunction("passThroughChildIExprolerWindows");
    ChildSearch search;
    search.result = &result;
    // Zero also when the callback ended the search at the toolbar.
    if (!enumChildWindowsGuarded(window, forEachChildIExprolerWindow, search))
        logMessage("Error: EnumChildWindows()");
}

BOOL CALLBACK forEachChildIExprolerWindow(HWND child, LPARAM userValue) noexcept {
    auto* search = reinterpret_cast<ChildSearch*>(userValue);
    return guardedChildStep(search, [&]() -> BOOL {
        traceFunction("forEachChildIExprolerWindow");
        if (GetWindowClassName(child) != kToolbarClass) return TRUE;
        if (GetWindowTitle(child) != kAddressToolbarText) return TRUE;
        logMessage("IExproler URL nearest window found: 0x%p", static_cast<void*>(child));

        // The edit control sits beside the toolbar: search everything under its parent.
        ChildSearch editSearch;
        editSearch.result = search ? search->result : nullptr;
        HWND parent = GetAncestor(child, GA_PARENT);
        if (!enumChildWindowsGuarded(parent, forEachChildIExprolerURLEditChildsWindow, editSearch))
            logMessage("Error: %s()", "forEachChildIExprolerWindow");
        // Only the first address toolbar is used, whether or not an edit control was found.
        return FALSE;
    });
}

BOOL CALLBACK forEachChildIExprolerURLEditChildsWindow(HWND child, LPARAM userValue) noexcept {
    auto* search = reinterpret_cast<ChildSearch*>(userValue);
    return guardedChildStep(search, [&]() -> BOOL {
        traceFunction("forEachChildIExprolerURLEditChildsWindow");
        if (!search || !search->result) return FALSE;
        if (GetWindowClassName(child) != kEditClass) return TRUE;
        logMessage("IExproler URL textbox found: 0x%p", static_cast<void*>(child));
        processIExprolerAddressWindow(child, *search->result);
        return FALSE;
    });
}

void processIExprolerAddressWindow(HWND edit, std::string& result) {
    traceFunction("processIExprolerAddressWindow");
    // One buffer per read: reads of two windows can run at once.
    char ieUrlBuffer[kUrlBufferSize] = {};
    result = requestWindowRecordText(edit, ieUrlBuffer, kUrlBufferSize);
}
