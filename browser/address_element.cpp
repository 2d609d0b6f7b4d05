#include "browser/address_element.h"

#include "browser/msaa_calls.h"
#include "util/com_values.h"

using lookout::com_ptr;
using lookout::unique_variant;

namespace {

// The object's value when it shows the element's signs: its role, then its shortcut, and the
// value only when they match.
std::optional<std::string> valueIfSameElement(IAccessible* object, const AddressElement& element) {
    if (roleOf(object) != element.role) return std::nullopt;
    const unique_variant self = unique_variant::fromLong(CHILDID_SELF);
    if (element.shortcut && getAccShortcutString(object, self) != *element.shortcut)
        return std::nullopt;
    return getAccValueString(object, self);
}

}  // namespace

com_ptr<IAccessible> elementAtPath(IAccessible* root, const std::vector<LONG>& path) {
    if (!root) return {};
    root->AddRef();
    com_ptr<IAccessible> object;
    object.attach(root);
    for (LONG position : path) {
        com_ptr<IEnumVARIANT> enumerator = object.query<IEnumVARIANT>();
        if (!enumerator || FAILED(enumerator->Reset())) return {};
        if (position > 0 && enumerator->Skip(static_cast<ULONG>(position)) != S_OK) return {};
        unique_variant child;
        ULONG fetched = 0;
        if (enumerator->Next(1, child.put(), &fetched) != S_OK || fetched != 1) return {};
        object = childObjectOf(object, child);
        if (!object) return {};
    }
    return object;
}

std::optional<std::string> readElementAgain(AddressElement& element,
                                            const std::function<IAccessible*()>& root) {
    if (element.object) {
        if (auto value = valueIfSameElement(element.object.get(), element)) return value;
        element.object.reset();
    }
    com_ptr<IAccessible> found = elementAtPath(root(), element.path);
    if (!found) return std::nullopt;
    std::optional<std::string> value = valueIfSameElement(found.get(), element);
    if (value) element.object = std::move(found);
    return value;
}
