#include "browser/msaa_walker.h"

#include "browser/msaa_tree.h"
#include "browser/msaa_window_object.h"
#include "diag/debug_log.h"
#include "util/com_ptr.h"

std::string WalkerMSAA::getFirefoxURL(HWND window) {
    traceFunction("WalkerMSAA::getFirefoxURL");
    std::string address;
    lookout::com_ptr<IAccessible> root;
    HRESULT result = getWindowAccessible(window, kWindowObjectTimeoutMs, root);
    if (FAILED(result)) {
        if (result == HRESULT_FROM_WIN32(ERROR_TIMEOUT))
            logMessage("WM_GETOBJECT: the window did not answer within %u ms",
                       static_cast<unsigned>(kWindowObjectTimeoutMs));
        logMessage("AccessibleObjectFromWindow: object was not found");
        return address;
    }
    // A combo box's name set by the walk is returned even when the walk found no text element.
    if (walkFirefoxTree(root.get(), false, address) != kWalkStop)
        logMessage("walkFirefoxTree: nothing was found");
    return address;
}
