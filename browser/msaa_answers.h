#pragma once
// The answers of one object as they come, for a tool that records a tree rather than searches
// it: none when the call fails or answers in another form, texts whole (every UTF-16 unit of the
// string, NULs included). Every call goes to the browser's process.

#include <windows.h>
#include <oleacc.h>

#include <optional>
#include <string>

// For `child` of `object` (CHILDID_SELF for the object itself).
std::optional<LONG> accRole(IAccessible* object, const VARIANT& child);
std::optional<std::wstring> accName(IAccessible* object, const VARIANT& child);
std::optional<std::wstring> accValue(IAccessible* object, const VARIANT& child);
std::optional<std::wstring> accShortcut(IAccessible* object, const VARIANT& child);
std::optional<LONG> accState(IAccessible* object, const VARIANT& child);
// left, top, width, height in `right` and `bottom`.
std::optional<RECT> accLocation(IAccessible* object, const VARIANT& child);
std::optional<LONG> accChildCount(IAccessible* object);
