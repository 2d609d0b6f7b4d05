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

HRESULT walkLevel(IAccessible* object, bool insideUrlCombo, std::string& address, int depth);

// The object of the element the enumerator gave: a child id is turned into its object by the
// parent, a VT_DISPATCH is the object itself. Null for a simple element (a child id without an
// object of its own), an IDispatch without IAccessible, or any other tag.
com_ptr<IAccessible> childObjectOf(IAccessible* parent, const VARIANT& child) {
    com_ptr<IDispatch> fromParent;
    IDispatch* dispatch = nullptr;
    if (child.vt == VT_I4) {
        if (SUCCEEDED(parent->get_accChild(child, fromParent.put()))) dispatch = fromParent.get();
    } else if (child.vt == VT_DISPATCH) {
        dispatch = child.pdispVal;  // still owned by the variant
    }
    com_ptr<IAccessible> object;
    if (dispatch && FAILED(dispatch->QueryInterface(__uuidof(IAccessible), object.put_void())))
        object.reset();
    return object;
}

// The role as a number; a failed call or a role given in any other form (a string) is 0.
LONG roleOf(IAccessible* object, const VARIANT& self) {
    unique_variant role;
    if (SUCCEEDED(object->get_accRole(self, role.put())) && role.vt == VT_I4) return role.lVal;
    return 0;
}

HRESULT descend(IAccessible* object, bool insideUrlCombo, std::string& address, int depth) {
    if (depth > kMaxWalkDepth) {
        logMessage("walkFirefoxTree: depth limit %d reached, the object is not descended into",
                   kMaxWalkDepth);
        return kWalkGoOn;
    }
    return walkLevel(object, insideUrlCombo, address, depth);
}

HRESULT walkLevel(IAccessible* object, bool insideUrlCombo, std::string& address, int depth) {
    com_ptr<IEnumVARIANT> enumerator;
    HRESULT result = object->QueryInterface(__uuidof(IEnumVARIANT), enumerator.put_void());
    if (SUCCEEDED(result) && !enumerator) result = E_NOINTERFACE;
    if (FAILED(result)) return result;  // no enumerator: not descended into
    enumerator->Reset();

    LONG count = 0;
    result = object->get_accChildCount(&count);
    if (FAILED(result)) return result;
    if (count <= 0) return kWalkGoOn;

    // Every call below addresses the child object itself.
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;

    HRESULT levelResult = kWalkGoOn;
    unique_variant child;
    for (LONG done = 0; done < count && levelResult != kWalkStop; ++done) {
        ULONG fetched = 0;
        // S_FALSE (no more elements) leaves the variant empty and the position is skipped; only
        // a real failure ends the walk, at every level.
        if (FAILED(enumerator->Next(1, child.put(), &fetched))) return kWalkStop;
        com_ptr<IAccessible> childObject = childObjectOf(object, child);
        if (!childObject) continue;
        LONG role = roleOf(childObject.get(), self);

        if (!insideUrlCombo) {
            std::string name = getAccNameString(childObject.get(), self);
            std::string value = getAccValueString(childObject.get(), self);
            bool isUrlCombo = role == ROLE_SYSTEM_COMBOBOX && !name.empty() && name == value;
            if (isUrlCombo) {
                logMessage("Go to a Website window is found");
                address = name;
            }
            levelResult = descend(childObject.get(), isUrlCombo, address, depth + 1);
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

HRESULT walkFirefoxTree(IAccessible* object, bool insideUrlCombo, std::string& address) {
    return walkLevel(object, insideUrlCombo, address, 0);
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
