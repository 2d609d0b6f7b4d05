#include "browser/chromium_tree.h"

#include <utility>
#include <vector>

#include "browser/msaa_calls.h"
#include "browser/msaa_tree.h"
#include "browser/tree_level.h"
#include "util/com_ptr.h"
#include "util/com_values.h"

using lookout::com_ptr;
using lookout::unique_variant;

namespace {

constexpr char kAddressShortcut[] = "Ctrl+L";
constexpr char kAddressKeySuffix[] = "+L";
constexpr char kAltModifier[] = "alt";

enum class Step { kGoOn, kFound, kStop };

struct ChromiumWalk {
    explicit ChromiumWalk(WalkBounds& walkBounds) : bounds(walkBounds) {}
    WalkBounds& bounds;
    std::vector<LONG> path;  // positions from the root to the object being walked
    // The best elements short of "Ctrl+L", once met.
    bool hasOtherModifier = false;
    AddressElement otherModifier;
    bool hasToolbarText = false;
    AddressElement toolbarText;
};

bool equalsIgnoringAsciiCase(const std::string& text, const char* lower) {
    std::size_t i = 0;
    for (; i < text.size() && lower[i] != '\0'; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return i == text.size() && lower[i] == '\0';
}

AddressElement elementAt(const std::vector<LONG>& path, LONG position, com_ptr<IAccessible> object,
                         std::string shortcut) {
    AddressElement element;
    element.path = path;
    element.path.push_back(position);
    element.object = std::move(object);
    element.role = ROLE_SYSTEM_TEXT;
    element.shortcut = std::move(shortcut);
    return element;
}

// A text element: the address field when its shortcut is "Ctrl+L", else noted as the best so far.
bool checkText(const TreeChild& child, bool inToolbar, ChromiumWalk& walk,
               AddressElement& found) {
    const unique_variant self = unique_variant::fromLong(CHILDID_SELF);
    std::string shortcut = getAccShortcutString(child.object.get(), self);
    switch (addressKeyOf(shortcut)) {
        case AddressKey::kExact:
            found = elementAt(walk.path, child.position, child.object, std::move(shortcut));
            return true;
        case AddressKey::kOtherModifier:
            if (!walk.hasOtherModifier) {
                walk.otherModifier =
                    elementAt(walk.path, child.position, child.object, shortcut);
                walk.hasOtherModifier = true;
            }
            break;
        case AddressKey::kNever:
            return false;
        case AddressKey::kNone:
            break;
    }
    if (inToolbar && !walk.hasToolbarText) {
        walk.toolbarText = elementAt(walk.path, child.position, child.object, std::move(shortcut));
        walk.hasToolbarText = true;
    }
    return false;
}

Step walkChildren(IAccessible* object, bool inToolbar, ChromiumWalk& walk, AddressElement& found);

Step descend(const TreeChild& child, bool inToolbar, ChromiumWalk& walk, AddressElement& found) {
    if (static_cast<int>(walk.path.size()) >= kMaxWalkDepth) return Step::kGoOn;
    walk.path.push_back(child.position);
    const Step step = walkChildren(child.object.get(), inToolbar, walk, found);
    walk.path.pop_back();
    return step;
}

Step walkChildren(IAccessible* object, bool inToolbar, ChromiumWalk& walk, AddressElement& found) {
    // A failing enumerator ends this object's children, not the walk.
    const TreeLevel level = readTreeLevel(object, walk.bounds);
    if (level.outOfBounds) return Step::kStop;
    std::vector<const TreeChild*> later;  // entered after this level's toolbars
    for (const TreeChild& child : level.children) {
        if (!walk.bounds.allow(1)) return Step::kStop;
        const LONG role = roleOf(child.object.get());
        Step step = Step::kGoOn;
        if (role == ROLE_SYSTEM_TEXT) {
            if (!walk.bounds.allow(1)) return Step::kStop;
            if (checkText(child, inToolbar, walk, found)) return Step::kFound;
        } else if (!mayHoldAddressField(role)) {
            continue;
        } else if (inToolbar || role == ROLE_SYSTEM_TOOLBAR) {
            step = descend(child, true, walk, found);
        } else {
            later.push_back(&child);
        }
        if (step != Step::kGoOn) return step;
    }
    for (const TreeChild* child : later) {
        const Step step = descend(*child, false, walk, found);
        if (step != Step::kGoOn) return step;
    }
    return Step::kGoOn;
}

}  // namespace

AddressKey addressKeyOf(const std::string& shortcut) {
    if (shortcut == kAddressShortcut) return AddressKey::kExact;
    const std::size_t suffix = sizeof kAddressKeySuffix - 1;
    if (shortcut.size() < suffix ||
        shortcut.compare(shortcut.size() - suffix, suffix, kAddressKeySuffix) != 0)
        return AddressKey::kNone;
    const std::string modifier = shortcut.substr(0, shortcut.size() - suffix);
    if (modifier.empty() || modifier.find('+') != std::string::npos ||
        equalsIgnoringAsciiCase(modifier, kAltModifier))
        return AddressKey::kNever;
    return AddressKey::kOtherModifier;
}

bool findChromiumAddress(IAccessible* root, WalkBounds& bounds, ChromiumAddress& found) {
    ChromiumWalk walk(bounds);
    AddressElement element;
    if (walkChildren(root, false, walk, element) != Step::kFound) {
        if (walk.hasOtherModifier)
            element = std::move(walk.otherModifier);
        else if (walk.hasToolbarText)
            element = std::move(walk.toolbarText);
        else
            return false;
    }
    // The elements not taken are released now.
    walk.otherModifier = {};
    walk.toolbarText = {};
    const unique_variant self = unique_variant::fromLong(CHILDID_SELF);
    found.value = getAccValueString(element.object.get(), self);
    found.element = std::move(element);
    return true;
}
