#include "browser/chromium_tree.h"

#include <cstring>
#include <utility>
#include <vector>

#include "browser/msaa_calls.h"
#include "browser/msaa_tree.h"
#include "util/com_ptr.h"
#include "util/com_values.h"

using lookout::com_ptr;
using lookout::unique_variant;

namespace {

// The shortcut of the address field in every language seen: "Ctrl+L", "Strg+L", ...
constexpr char kAddressKey[] = "+L";

enum class Step { kGoOn, kFound, kStop };

struct ChromiumWalk {
    WalkBounds& bounds;
    std::vector<LONG> path;  // positions from the root to the object being walked
    AddressElement toolbarText;  // the first text element inside a toolbar, once met
    bool hasToolbarText = false;
};

bool endsWithAddressKey(const std::string& shortcut) {
    const std::size_t length = std::strlen(kAddressKey);
    return shortcut.size() >= length &&
           shortcut.compare(shortcut.size() - length, length, kAddressKey) == 0;
}

AddressElement elementAt(const std::vector<LONG>& path, com_ptr<IAccessible> object,
                         std::string shortcut) {
    AddressElement element;
    element.path = path;
    element.object = std::move(object);
    element.shortcut = std::move(shortcut);
    return element;
}

Step walkChildren(const com_ptr<IAccessible>& object, bool insideToolbar, ChromiumWalk& walk,
                  AddressElement& found) {
    if (static_cast<int>(walk.path.size()) > kMaxWalkDepth) return Step::kGoOn;
    if (!walk.bounds.allow(kLevelCalls)) return Step::kStop;
    com_ptr<IEnumVARIANT> enumerator = object.query<IEnumVARIANT>();
    if (!enumerator) return Step::kGoOn;
    enumerator->Reset();
    LONG count = 0;
    if (FAILED(object->get_accChildCount(&count)) || count <= 0) return Step::kGoOn;

    const unique_variant self = unique_variant::fromLong(CHILDID_SELF);
    unique_variant child;
    for (LONG position = 0; position < count; ++position) {
        if (!walk.bounds.allow(1)) return Step::kStop;
        ULONG fetched = 0;
        // A failing enumerator ends this object's children, not the walk.
        if (FAILED(enumerator->Next(1, child.put(), &fetched))) return Step::kGoOn;
        if ((child.vt == VT_I4 || child.vt == VT_DISPATCH) && !walk.bounds.allow(kChildCalls))
            return Step::kStop;
        com_ptr<IAccessible> childObject = childObjectOf(object, child);
        if (!childObject) continue;
        const LONG role = roleOf(childObject.get());
        if (role == ROLE_SYSTEM_DOCUMENT) continue;

        walk.path.push_back(position);
        if (role == ROLE_SYSTEM_TEXT) {
            std::string shortcut = getAccShortcutString(childObject.get(), self);
            if (endsWithAddressKey(shortcut)) {
                found = elementAt(walk.path, childObject, std::move(shortcut));
                return Step::kFound;
            }
            if (insideToolbar && !walk.hasToolbarText) {
                walk.toolbarText = elementAt(walk.path, childObject, std::move(shortcut));
                walk.hasToolbarText = true;
            }
        }
        Step step = walkChildren(childObject, insideToolbar || role == ROLE_SYSTEM_TOOLBAR, walk,
                                 found);
        walk.path.pop_back();
        if (step != Step::kGoOn) return step;
    }
    return Step::kGoOn;
}

}  // namespace

bool findChromiumAddress(IAccessible* root, WalkBounds& bounds, ChromiumAddress& found) {
    root->AddRef();  // held by the walk's own owner, like every object below it
    com_ptr<IAccessible> object;
    object.attach(root);
    ChromiumWalk walk{bounds, {}, {}, false};
    AddressElement element;
    if (walkChildren(object, false, walk, element) != Step::kFound) {
        if (!walk.hasToolbarText) return false;
        element = std::move(walk.toolbarText);
    }
    walk.toolbarText = {};  // the element not taken is released now
    const unique_variant self = unique_variant::fromLong(CHILDID_SELF);
    element.name = getAccNameString(element.object.get(), self);
    found.value = getAccValueString(element.object.get(), self);
    found.element = std::move(element);
    return true;
}
