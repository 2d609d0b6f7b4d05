#include "browser/tree_level.h"

#include <algorithm>

#include "browser/msaa_calls.h"
#include "util/com_values.h"

using lookout::com_ptr;
using lookout::unique_variant;

namespace {

// Next fills an array of VARIANTs; the owners must be laid out as they are.
static_assert(sizeof(unique_variant) == sizeof(VARIANT), "unique_variant adds no members");

// Roles (oleacc.h) of objects that cannot hold the address field.
constexpr LONG kRolesNotEntered[] = {
    ROLE_SYSTEM_TITLEBAR,       ROLE_SYSTEM_MENUBAR,        ROLE_SYSTEM_SCROLLBAR,
    ROLE_SYSTEM_MENUPOPUP,      ROLE_SYSTEM_MENUITEM,       ROLE_SYSTEM_DOCUMENT,
    ROLE_SYSTEM_SEPARATOR,      ROLE_SYSTEM_LINK,           ROLE_SYSTEM_LIST,
    ROLE_SYSTEM_LISTITEM,       ROLE_SYSTEM_OUTLINE,        ROLE_SYSTEM_OUTLINEITEM,
    ROLE_SYSTEM_PAGETAB,        ROLE_SYSTEM_GRAPHIC,        ROLE_SYSTEM_STATICTEXT,
    ROLE_SYSTEM_TEXT,           ROLE_SYSTEM_PUSHBUTTON,     ROLE_SYSTEM_CHECKBUTTON,
    ROLE_SYSTEM_RADIOBUTTON,    ROLE_SYSTEM_BUTTONDROPDOWN, ROLE_SYSTEM_BUTTONMENU,
    ROLE_SYSTEM_BUTTONDROPDOWNGRID, ROLE_SYSTEM_PAGETABLIST, ROLE_SYSTEM_SPLITBUTTON,
};

}  // namespace

TreeLevel readTreeLevel(IAccessible* object, WalkBounds& bounds) {
    TreeLevel level;
    if (!bounds.allow(1)) {
        level.outOfBounds = true;
        return level;
    }
    LONG count = 0;
    level.result = object->get_accChildCount(&count);
    if (FAILED(level.result) || count <= 0) return level;

    if (!bounds.allow(2)) {
        level.outOfBounds = true;
        return level;
    }
    com_ptr<IEnumVARIANT> enumerator;
    level.result = object->QueryInterface(__uuidof(IEnumVARIANT), enumerator.put_void());
    if (FAILED(level.result) || !enumerator) {
        if (SUCCEEDED(level.result)) level.result = E_NOINTERFACE;
        return level;
    }
    level.result = S_OK;
    enumerator->Reset();

    com_ptr<IAccessible> parent;
    object->AddRef();
    parent.attach(object);
    std::vector<unique_variant> elements(std::min<ULONG>(static_cast<ULONG>(count),
                                                         kChildrenPerNext));
    LONG position = 0;
    while (position < count) {
        const ULONG wanted = std::min<ULONG>(static_cast<ULONG>(count - position),
                                             kChildrenPerNext);
        if (!bounds.allow(1)) {
            level.outOfBounds = true;
            return level;
        }
        for (unique_variant& element : elements) element.reset();
        ULONG fetched = 0;
        const HRESULT next = enumerator->Next(wanted, elements.data(), &fetched);
        if (FAILED(next)) {
            level.nextFailed = true;
            return level;
        }
        fetched = std::min(fetched, wanted);
        // Each element handed out is an object the browser marshalled, whatever the call count.
        if (fetched > 0 && !bounds.allow(fetched)) {
            level.outOfBounds = true;
            return level;
        }
        for (ULONG i = 0; i < fetched; ++i, ++position) {
            const VARIANT& element = elements[i];
            if (element.vt == VT_I4 && !bounds.allow(1)) {
                level.outOfBounds = true;
                return level;
            }
            com_ptr<IAccessible> child = childObjectOf(parent, element);
            if (child) level.children.push_back({position, std::move(child)});
        }
        if (next != S_OK || fetched < wanted) break;  // the enumerator has no more
    }
    return level;
}

bool mayHoldAddressField(LONG role) {
    return std::find(std::begin(kRolesNotEntered), std::end(kRolesNotEntered), role) ==
           std::end(kRolesNotEntered);
}
