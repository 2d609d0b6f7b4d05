#include "browser/msaa_tree.h"

#include <climits>
#include <cwchar>

#include "diag/debug_log.h"
#include "util/com_ptr.h"
#include "util/com_values.h"

using lookout::com_ptr;
using lookout::unique_bstr;
using lookout::unique_variant;

namespace {

// What the calls of one object cost the bounds: the enumerator query, Reset and the child count
// to enter it; the child (or the query of the element) and role, name and value to check it.
constexpr unsigned kLevelCalls = 3;
constexpr unsigned kChildCalls = 4;

HRESULT walkLevel(const com_ptr<IAccessible>& object, bool insideUrlCombo, std::string& address,
                  int depth, WalkBounds& bounds);

// The object of the element the enumerator gave: a child id is turned into its object by the
// parent, a VT_DISPATCH is the object itself. Null for a simple element (a child id without an
// object of its own), an IDispatch without IAccessible, or any other tag.
com_ptr<IAccessible> childObjectOf(const com_ptr<IAccessible>& parent, const VARIANT& child) {
    com_ptr<IDispatch> dispatch;
    if (child.vt == VT_I4) {
        if (FAILED(parent->get_accChild(child, dispatch.put()))) dispatch.reset();
    } else if (child.vt == VT_DISPATCH && child.pdispVal) {
        child.pdispVal->AddRef();  // the variant keeps its own reference
        dispatch.attach(child.pdispVal);
    }
    return dispatch.query<IAccessible>();
}

// The role as a number; a failed call or a role given in any other form (a string) is 0.
LONG roleOf(const com_ptr<IAccessible>& object, const VARIANT& self) {
    unique_variant role;
    if (SUCCEEDED(object->get_accRole(self, role.put())) && role.vt == VT_I4) return role.lVal;
    return 0;
}

HRESULT descend(const com_ptr<IAccessible>& object, bool insideUrlCombo, std::string& address,
                int depth, WalkBounds& bounds) {
    if (depth > kMaxWalkDepth) {
        logMessage("walkFirefoxTree: depth limit %d reached, the object is not descended into",
                   kMaxWalkDepth);
        return kWalkGoOn;
    }
    return walkLevel(object, insideUrlCombo, address, depth, bounds);
}

HRESULT walkLevel(const com_ptr<IAccessible>& object, bool insideUrlCombo, std::string& address,
                  int depth, WalkBounds& bounds) {
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
        LONG role = roleOf(childObject, self);

        if (!insideUrlCombo) {
            std::string name = getAccNameString(childObject.get(), self);
            std::string value = getAccValueString(childObject.get(), self);
            bool isUrlCombo = role == ROLE_SYSTEM_COMBOBOX && !name.empty() && name == value;
            if (isUrlCombo) {
                logMessage("Go to a Website window is found");
                address = name;
            }
            levelResult = descend(childObject, isUrlCombo, address, depth + 1, bounds);
        } else if (role == ROLE_SYSTEM_TEXT) {
            logMessage("Required Role Editbox is found: URL is to be sent now.");
            if (getAccNameString(childObject.get(), self) == address) {
                address = getAccValueString(childObject.get(), self);
                return kWalkStop;
            }
        }
    }
    return levelResult;
}

}  // namespace

HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address,
                        WalkBounds& bounds) {
    object->AddRef();  // held by the walk's own owner, like every object below it
    com_ptr<IAccessible> root;
    root.attach(object);
    return walkLevel(root, insideUrlCombo, address, 0, bounds);
}

HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address) {
    WalkBounds bounds;
    return walkFirefoxTree(object, insideUrlCombo, address, bounds);
}

std::string getAccNameString(IAccessible* object, const VARIANT& child) {
    unique_bstr name;
    if (FAILED(object->get_accName(child, name.put()))) return {};
    return narrowAccText(name.get());
}

std::string getAccValueString(IAccessible* object, const VARIANT& child) {
    unique_bstr value;
    if (FAILED(object->get_accValue(child, value.put()))) return {};
    return narrowAccText(value.get());
}

std::string narrowAccText(const wchar_t* text) {
    if (!text) return {};
    std::size_t length = std::wcslen(text);
    if (length == 0) return {};
    if (length > INT_MAX) return {};
    int wideLength = static_cast<int>(length);
    int size = WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    int written = size > 0 ? WideCharToMultiByte(CP_ACP, 0, text, wideLength, &narrow[0], size,
                                                 nullptr, nullptr)
                           : 0;
    if (written <= 0) {
        // Only an exhausted memory makes this fail; the text is then treated as absent.
        logMessage("narrowAccText: WideCharToMultiByte failed (error %u)",
                   static_cast<unsigned>(GetLastError()));
        return {};
    }
    narrow.resize(static_cast<std::size_t>(written));
    return narrow;
}
