#include "browser/msaa_calls.h"

#include <climits>
#include <cwchar>

#include "diag/debug_log.h"
#include "util/com_values.h"
#include "util/record_text.h"

using lookout::com_ptr;
using lookout::unique_bstr;
using lookout::unique_variant;

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

LONG roleOf(IAccessible* object) {
    const unique_variant self = unique_variant::fromLong(CHILDID_SELF);
    unique_variant role;
    if (SUCCEEDED(object->get_accRole(self, role.put())) && role.vt == VT_I4) return role.lVal;
    return 0;
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

std::string getAccShortcutString(IAccessible* object, const VARIANT& child) {
    unique_bstr shortcut;
    if (FAILED(object->get_accKeyboardShortcut(child, shortcut.put()))) return {};
    return narrowAccText(shortcut.get());
}

std::string narrowAccText(const wchar_t* text) {
    if (!text) return {};
    std::size_t length = std::wcslen(text);
    if (length == 0) return {};
    if (length > INT_MAX) return {};
    if (recordsInUtf8()) return recordText(std::wstring(text, length));
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
