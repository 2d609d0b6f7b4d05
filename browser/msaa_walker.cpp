#include "browser/msaa_walker.h"

#include <memory>
#include <utility>

#include "browser/accessible_walk.h"
#include "browser/kept_elements.h"
#include "browser/msaa_tree.h"
#include "diag/debug_log.h"

namespace {

constexpr char kReader[] = "WalkerMSAA";

struct Found {
    std::string address;
    std::optional<std::string> inputText;
};

Found walkForAddress(WindowObject& root) {
    Found found;
    // Kept only for a window whose walk found no older address: there is nothing to walk for
    // again.
    found.inputText = readKeptElement(root, kReader);
    if (found.inputText) return found;
    IAccessible* object = root.get();
    if (!object) return found;
    WalkBounds bounds;
    AddressInput input;
    // A combo box's name set by the walk is returned even when the walk found no text element.
    if (walkFirefoxTree(object, false, found.address, bounds, &input) != kWalkStop)
        logMessage("walkFirefoxTree: nothing was found");
    if (!input.found) return found;
    found.inputText = std::move(input.value);
    if (root.keepsObjects()) keepAddressElement(root.window(), std::move(input.element));
    return found;
}

}  // namespace

std::string WalkerMSAA::getFirefoxURL(HWND window, std::optional<std::string>& inputText) {
    traceFunction("WalkerMSAA::getFirefoxURL");
    inputText.reset();
    auto found = std::make_shared<Found>();
    if (!walkAccessibleTree(window, OBJID_WINDOW, kReader,
                            [found](WindowObject& root) { *found = walkForAddress(root); }))
        return {};
    inputText = std::move(found->inputText);
    return std::move(found->address);
}
