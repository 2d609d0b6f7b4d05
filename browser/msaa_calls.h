#pragma once
// The calls the accessibility walks make on one object: its children, role, name, value and
// keyboard shortcut, each turned into plain values. Every call goes to the browser's process.

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "util/com_ptr.h"

// What the calls of one object cost a walk's bounds: the enumerator query, Reset and the child
// count to enter it; the child (or the query of the element) and up to three questions to check
// it.
constexpr unsigned kLevelCalls = 3;
constexpr unsigned kChildCalls = 4;

// The object of the element an enumerator gave: a child id is turned into its object by the
// parent, a VT_DISPATCH is the object itself. Null for a simple element (a child id without an
// object of its own), an IDispatch without IAccessible, or any other tag.
lookout::com_ptr<IAccessible> childObjectOf(const lookout::com_ptr<IAccessible>& parent,
                                            const VARIANT& child);

// The object's own role as a number; a failed call or a role given in any other form (a string)
// is 0.
LONG roleOf(IAccessible* object);

// get_accName / get_accValue / get_accKeyboardShortcut of `object` for `child`, as the record
// carries it (narrowAccText) up to the first NUL. Empty when the call fails or gives no string.
std::string getAccNameString(IAccessible* object, const VARIANT& child);
std::string getAccValueString(IAccessible* object, const VARIANT& child);
std::string getAccShortcutString(IAccessible* object, const VARIANT& child);

// UTF-16 text up to its first NUL in the ANSI code page, where characters without a mapping
// become the code page's default character, or in UTF-8 for UTF-8 records. Empty for null or
// when the conversion fails.
std::string narrowAccText(const wchar_t* text);
