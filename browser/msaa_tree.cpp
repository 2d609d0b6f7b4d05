#include "browser/msaa_tree.h"

#include <utility>
#include <vector>

#include "diag/debug_log.h"
#include "util/com_ptr.h"
#include "util/com_values.h"

using lookout::com_ptr;
using lookout::unique_variant;

namespace {

// What one walk carries down its levels.
struct FirefoxWalk {
    std::string& address;
    WalkBounds& bounds;
    FirstComboText* firstCombo;
    std::vector<LONG> path;  // positions from the root to the object being walked
};

HRESULT walkLevel(const com_ptr<IAccessible>& object, bool insideUrlCombo, bool belowFirstCombo,
                  FirefoxWalk& walk);

HRESULT descend(const com_ptr<IAccessible>& object, bool insideUrlCombo, bool belowFirstCombo,
                FirefoxWalk& walk) {
    if (static_cast<int>(walk.path.size()) > kMaxWalkDepth) {
        logMessage("walkFirefoxTree: depth limit %d reached, the object is not descended into",
                   kMaxWalkDepth);
        return kWalkGoOn;
    }
    return walkLevel(object, insideUrlCombo, belowFirstCombo, walk);
}

// Only a combo box can be the address box, and only a text element directly below the first
// combo box is that box's text: the name and value of any other object cannot change what the
// walk finds, and each read is a call into the browser (milliseconds under load).
bool textsCanMatter(const FirefoxWalk& walk, bool belowFirstCombo, LONG role) {
    if (role == ROLE_SYSTEM_COMBOBOX) return true;
    return role == ROLE_SYSTEM_TEXT && belowFirstCombo && walk.firstCombo &&
           !walk.firstCombo->found;
}

// Notes what the first combo box outside documents shows, from a child at an ordinary level.
// Returns whether `child` is that combo box, whose children are looked at next.
bool noteFirstCombo(FirefoxWalk& walk, bool belowFirstCombo, const com_ptr<IAccessible>& child,
                    LONG role, const std::string& name, const std::string& value, bool isUrlCombo,
                    LONG position) {
    FirstComboText* first = walk.firstCombo;
    if (!first) return false;
    if (belowFirstCombo && role == ROLE_SYSTEM_TEXT && !first->found) {
        first->found = true;
        first->element.path = walk.path;
        first->element.path.push_back(position);
        first->element.object = child;
        first->element.name = name;
        first->value = value;
    }
    if (role != ROLE_SYSTEM_COMBOBOX || first->comboMet) return false;
    first->comboMet = true;
    return !isUrlCombo;  // a matched address combo box is the walk's own business
}

HRESULT walkLevel(const com_ptr<IAccessible>& object, bool insideUrlCombo, bool belowFirstCombo,
                  FirefoxWalk& walk) {
    WalkBounds& bounds = walk.bounds;
    if (!bounds.allow(kLevelCalls)) return kWalkStop;
    com_ptr<IEnumVARIANT> enumerator;
    HRESULT result = object.query(enumerator);
    if (FAILED(result)) return result;  // no enumerator: not descended into
    enumerator->Reset();

    LONG count = 0;
    result = object->get_accChildCount(&count);
    if (FAILED(result)) return result;
    if (count <= 0) return kWalkGoOn;

    // Every call below addresses the child object itself.
    const unique_variant self = unique_variant::fromLong(CHILDID_SELF);

    HRESULT levelResult = kWalkGoOn;
    unique_variant child;
    for (LONG done = 0; done < count && levelResult != kWalkStop; ++done) {
        if (!bounds.allow(1)) return kWalkStop;
        ULONG fetched = 0;
        // S_FALSE (no more elements) leaves the variant empty and the position is skipped; only
        // a real failure ends the walk, at every level.
        if (FAILED(enumerator->Next(1, child.put(), &fetched))) return kWalkStop;
        if ((child.vt == VT_I4 || child.vt == VT_DISPATCH) && !bounds.allow(kChildCalls))
            return kWalkStop;
        com_ptr<IAccessible> childObject = childObjectOf(object, child);
        if (!childObject) continue;
        LONG role = roleOf(childObject.get());

        if (!insideUrlCombo) {
            if (role == ROLE_SYSTEM_DOCUMENT) continue;
            std::string name;
            std::string value;
            if (textsCanMatter(walk, belowFirstCombo, role)) {
                name = getAccNameString(childObject.get(), self);
                value = getAccValueString(childObject.get(), self);
            }
            bool isUrlCombo = role == ROLE_SYSTEM_COMBOBOX && !name.empty() && name == value;
            if (isUrlCombo) {
                logMessage("Go to a Website window is found");
                walk.address = name;
            }
            bool isFirstCombo = noteFirstCombo(walk, belowFirstCombo, childObject, role, name,
                                               value, isUrlCombo, done);
            walk.path.push_back(done);
            levelResult = descend(childObject, isUrlCombo, isFirstCombo, walk);
            walk.path.pop_back();
        } else if (role == ROLE_SYSTEM_TEXT) {
            logMessage("Required Role Editbox is found: URL is to be sent now.");
            if (getAccNameString(childObject.get(), self) == walk.address) {
                walk.address = getAccValueString(childObject.get(), self);
                return kWalkStop;
            }
        }
    }
    return levelResult;
}

}  // namespace

HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address,
                        WalkBounds& bounds, FirstComboText* firstCombo) {
    object->AddRef();  // held by the walk's own owner, like every object below it
    com_ptr<IAccessible> root;
    root.attach(object);
    FirefoxWalk walk{address, bounds, firstCombo, {}};
    return walkLevel(root, insideUrlCombo, false, walk);
}

HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address) {
    WalkBounds bounds;
    return walkFirefoxTree(object, insideUrlCombo, address, bounds);
}
