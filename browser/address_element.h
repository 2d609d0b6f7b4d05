#pragma once
// An address element found in a window's accessibility tree, and how to read it again without a
// walk: through the object itself while it is kept, else along the positions that led to it.

#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "util/com_ptr.h"

struct AddressElement {
    // Its position among the elements of each enumerator on the way down from the root, 0 for
    // the first; the last one is the element's own among its parent's.
    std::vector<LONG> path;
    // The element itself; null when it is not kept.
    lookout::com_ptr<IAccessible> object;
    // Its signs when it was found, which it must still show to be taken for the same element:
    // its role and, where it was known by it, its keyboard shortcut. Not its name: a browser may
    // take the reading of a name for a screen reader at work.
    LONG role = ROLE_SYSTEM_TEXT;
    std::optional<std::string> shortcut;  // not compared when absent
};

// The element at `path` below `root`: at each step, Reset, Skip to the position and Next. Null
// when a step gives no object.
lookout::com_ptr<IAccessible> elementAtPath(IAccessible* root, const std::vector<LONG>& path);

// The element's value, read again through its object or, when it has none or the object no
// longer answers as the element, found again at its path below the root that `root` gives (null
// when there is none); `element.object` then holds the element found there. Empty when neither
// shows the element's signs.
std::optional<std::string> readElementAgain(AddressElement& element,
                                            const std::function<IAccessible*()>& root);
