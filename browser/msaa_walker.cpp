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
    std::optional<std::string> comboText;
};

Found walkForAddress(WindowObject& root) {
    Found found;
    // Kept only for a window whose walk found no address: there is nothing to walk for again.
    found.comboText = readKeptElement(root, kReader);
    if (found.comboText) return found;
    IAccessible* object = root.get();
    if (!object) return found;
    WalkBounds bounds;
    FirstComboText firstCombo;
    // A combo box's name set by the walk is returned even when the walk found no text element.
    if (walkFirefoxTree(object, false, found.address, bounds, &firstCombo) != kWalkStop)
        logMessage("walkFirefoxTree: nothing was found");
    if (!firstCombo.found) return found;
    found.comboText = std::move(firstCombo.value);
    if (found.address.empty() && root.keepsObjects())
        keepAddressElement(root.window(), std::move(firstCombo.element));
    return found;
}

}  // namespace

std::string WalkerMSAA::getFirefoxURL(HWND window, std::optional<std::string>& comboText) {
    traceFunction("WalkerMSAA::getFirefoxURL");
    comboText.reset();
    auto found = std::make_shared<Found>();
    if (!walkAccessibleTree(window, OBJID_WINDOW, kReader,
                            [found](WindowObject& root) { *found = walkForAddress(root); }))
        return {};
    comboText = std::move(found->comboText);
    return std::move(found->address);
}
