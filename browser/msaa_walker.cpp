#include "browser/msaa_walker.h"

#include "browser/accessible_walk.h"
#include "browser/msaa_tree.h"
#include "diag/debug_log.h"

namespace {

std::string walkForAddress(IAccessible* root, WalkBounds& bounds) {
    std::string address;
    // A combo box's name set by the walk is returned even when the walk found no text element.
    if (walkFirefoxTree(root, false, address, bounds) != kWalkStop)
        logMessage("walkFirefoxTree: nothing was found");
    return address;
}

}  // namespace

std::string WalkerMSAA::getFirefoxURL(HWND window) {
    traceFunction("WalkerMSAA::getFirefoxURL");
    return walkAccessibleTree(window, "WalkerMSAA", walkForAddress);
}
