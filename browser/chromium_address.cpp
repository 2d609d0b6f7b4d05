#include "browser/chromium_address.h"

#include <memory>
#include <utility>

#include "browser/accessible_walk.h"
#include "browser/chromium_tree.h"
#include "browser/kept_elements.h"
#include "diag/debug_log.h"

namespace {

constexpr char kReader[] = "getChromiumAddress";

std::optional<std::string> readAddress(WindowObject& root) {
    if (std::optional<std::string> value = readKeptElement(root, kReader)) return value;
    IAccessible* object = root.get();
    if (!object) return std::nullopt;
    WalkBounds bounds;
    ChromiumAddress found;
    if (!findChromiumAddress(object, bounds, found)) {
        logMessage("%s: no address element in the tree", kReader);
        return std::nullopt;
    }
    if (root.keepsObjects()) keepAddressElement(root.window(), std::move(found.element));
    return std::move(found.value);
}

}  // namespace

std::optional<std::string> getChromiumAddress(HWND window) {
    traceFunction(kReader);
    auto address = std::make_shared<std::optional<std::string>>();
    if (!walkAccessibleTree(window, OBJID_CLIENT, kReader,
                            [address](WindowObject& root) { *address = readAddress(root); }))
        return std::nullopt;
    return *address;
}
