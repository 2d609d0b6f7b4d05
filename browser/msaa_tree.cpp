#include "browser/msaa_tree.h"

#include <utility>
#include <vector>

#include "browser/tree_level.h"
#include "diag/debug_log.h"
#include "util/com_ptr.h"
#include "util/com_values.h"

using lookout::com_ptr;
using lookout::unique_variant;

namespace {

// Where a level lies, for the address input of current Firefox.
enum class Place {
    kOutsideToolbars,
    kInToolbar,
    kBelowInputCandidate,  // the direct children of a combo box in a toolbar
};

// The last combo box met in a toolbar so far, and its first text element.
struct InputCandidate {
    std::vector<LONG> path;
    com_ptr<IAccessible> combo;
    std::string value;
    std::vector<LONG> textPath;
    com_ptr<IAccessible> text;
};

// What one walk carries down its levels.
struct FirefoxWalk {
    FirefoxWalk(std::string& found, WalkBounds& walkBounds, bool input)
        : address(found), bounds(walkBounds), looksForInput(input) {}
    std::string& address;
    WalkBounds& bounds;
    bool looksForInput;
    std::vector<LONG> path;  // positions from the root to the object being walked
    bool hasCandidate = false;
    InputCandidate candidate;
};

bool ends(HRESULT result) { return result == kWalkStop || result == kWalkInputFound; }

HRESULT walkLevel(IAccessible* object, bool insideUrlCombo, Place place, FirefoxWalk& walk);

HRESULT descend(const TreeChild& child, bool insideUrlCombo, Place place, FirefoxWalk& walk) {
    if (static_cast<int>(walk.path.size()) >= kMaxWalkDepth) {
        logMessage("walkFirefoxTree: depth limit %d reached, the object is not descended into",
                   kMaxWalkDepth);
        return kWalkGoOn;
    }
    walk.path.push_back(child.position);
    HRESULT result = walkLevel(child.object.get(), insideUrlCombo, place, walk);
    walk.path.pop_back();
    return result;
}

// The level right below a matched combo box: its text element named after the address.
HRESULT findComboText(const TreeLevel& level, FirefoxWalk& walk) {
    const unique_variant self = unique_variant::fromLong(CHILDID_SELF);
    for (const TreeChild& child : level.children) {
        if (!walk.bounds.allow(1)) return kWalkStop;
        if (roleOf(child.object.get()) != ROLE_SYSTEM_TEXT) continue;
        logMessage("Required Role Editbox is found: URL is to be sent now.");
        if (!walk.bounds.allow(1)) return kWalkStop;
        if (getAccNameString(child.object.get(), self) != walk.address) continue;
        if (!walk.bounds.allow(1)) return kWalkStop;
        walk.address = getAccValueString(child.object.get(), self);
        return kWalkStop;
    }
    return level.nextFailed ? kWalkStop : kWalkGoOn;
}

// A combo box at an ordinary level: the older address box when its name equals its value, and
// in a toolbar the latest candidate for the current address input. Gives the place of its
// children.
Place checkComboBox(const TreeChild& child, Place place, bool& isUrlCombo, FirefoxWalk& walk) {
    const unique_variant self = unique_variant::fromLong(CHILDID_SELF);
    std::string name = getAccNameString(child.object.get(), self);
    std::string value = getAccValueString(child.object.get(), self);
    isUrlCombo = !name.empty() && name == value;
    if (isUrlCombo) {
        logMessage("Go to a Website window is found");
        walk.address = name;
    }
    if (place == Place::kOutsideToolbars || !walk.looksForInput) return place;
    walk.hasCandidate = true;
    walk.candidate = {};
    walk.candidate.path = walk.path;
    walk.candidate.path.push_back(child.position);
    walk.candidate.combo = child.object;
    walk.candidate.value = std::move(value);
    return Place::kBelowInputCandidate;
}

HRESULT walkLevel(IAccessible* object, bool insideUrlCombo, Place place, FirefoxWalk& walk) {
    const TreeLevel level = readTreeLevel(object, walk.bounds);
    if (level.outOfBounds) return kWalkStop;
    if (FAILED(level.result)) return level.result;
    if (insideUrlCombo) return findComboText(level, walk);

    const bool inToolbar = place != Place::kOutsideToolbars;
    HRESULT levelResult = kWalkGoOn;
    std::vector<const TreeChild*> later;  // entered after this level's toolbars
    for (const TreeChild& child : level.children) {
        if (!walk.bounds.allow(1)) return kWalkStop;
        const LONG role = roleOf(child.object.get());
        if (role == ROLE_SYSTEM_COMBOBOX) {
            if (!walk.bounds.allow(2)) return kWalkStop;
            bool isUrlCombo = false;
            const Place below = checkComboBox(child, place, isUrlCombo, walk);
            levelResult = descend(child, isUrlCombo, below, walk);
        } else if (role == ROLE_SYSTEM_TEXT) {
            if (place == Place::kBelowInputCandidate && !walk.candidate.text) {
                walk.candidate.textPath = walk.path;
                walk.candidate.textPath.push_back(child.position);
                walk.candidate.text = child.object;
            }
            continue;
        } else if (!mayHoldAddressField(role)) {
            continue;
        } else if (role == ROLE_SYSTEM_TOOLBAR && !inToolbar) {
            levelResult = descend(child, false, Place::kInToolbar, walk);
            // The first toolbar that holds combo boxes holds the address input.
            if (!ends(levelResult) && walk.hasCandidate) return kWalkInputFound;
        } else if (inToolbar) {
            levelResult = descend(child, false, Place::kInToolbar, walk);
        } else {
            later.push_back(&child);
        }
        if (ends(levelResult)) return levelResult;
    }
    for (const TreeChild* child : later) {
        levelResult = descend(*child, false, place, walk);
        if (ends(levelResult)) return levelResult;
    }
    return level.nextFailed ? kWalkStop : levelResult;
}

// The address input from the walk's last candidate (see AddressInput).
void takeInput(FirefoxWalk& walk, AddressInput& input) {
    InputCandidate& candidate = walk.candidate;
    input.found = true;
    input.element.role = ROLE_SYSTEM_COMBOBOX;
    if (candidate.value.empty() && candidate.text) {
        const unique_variant self = unique_variant::fromLong(CHILDID_SELF);
        input.value = getAccValueString(candidate.text.get(), self);
        input.element.path = std::move(candidate.textPath);
        input.element.object = std::move(candidate.text);
        input.element.role = ROLE_SYSTEM_TEXT;
        return;
    }
    input.value = std::move(candidate.value);
    input.element.path = std::move(candidate.path);
    input.element.object = std::move(candidate.combo);
}

}  // namespace

HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address,
                        WalkBounds& bounds, AddressInput* input) {
    FirefoxWalk walk(address, bounds, input != nullptr);
    const Place place = Place::kOutsideToolbars;
    const HRESULT result = walkLevel(object, insideUrlCombo, place, walk);
    if (input && walk.hasCandidate && address.empty()) takeInput(walk, *input);
    return result;
}

HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address) {
    WalkBounds bounds;
    return walkFirefoxTree(object, insideUrlCombo, address, bounds);
}
