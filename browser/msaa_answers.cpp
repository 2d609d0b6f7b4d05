#include "browser/msaa_answers.h"

#include "util/com_values.h"

using lookout::unique_bstr;
using lookout::unique_variant;

namespace {

using TextCall = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);

std::optional<std::wstring> text(IAccessible* object, const VARIANT& child, TextCall call) {
    unique_bstr answer;
    if (FAILED((object->*call)(child, answer.put())) || !answer) return std::nullopt;
    return std::wstring(answer.get(), SysStringLen(answer.get()));
}

std::optional<LONG> number(IAccessible* object, const VARIANT& child,
                           HRESULT (STDMETHODCALLTYPE IAccessible::*call)(VARIANT, VARIANT*)) {
    unique_variant answer;
    if (FAILED((object->*call)(child, answer.put())) || answer.vt != VT_I4) return std::nullopt;
    return answer.lVal;
}

}  // namespace

std::optional<LONG> accRole(IAccessible* object, const VARIANT& child) {
    return number(object, child, &IAccessible::get_accRole);
}

std::optional<std::wstring> accName(IAccessible* object, const VARIANT& child) {
    return text(object, child, &IAccessible::get_accName);
}

std::optional<std::wstring> accValue(IAccessible* object, const VARIANT& child) {
    return text(object, child, &IAccessible::get_accValue);
}

std::optional<std::wstring> accShortcut(IAccessible* object, const VARIANT& child) {
    return text(object, child, &IAccessible::get_accKeyboardShortcut);
}

std::optional<LONG> accState(IAccessible* object, const VARIANT& child) {
    return number(object, child, &IAccessible::get_accState);
}

std::optional<RECT> accLocation(IAccessible* object, const VARIANT& child) {
    LONG left = 0, top = 0, width = 0, height = 0;
    if (FAILED(object->accLocation(&left, &top, &width, &height, child))) return std::nullopt;
    return RECT{left, top, width, height};
}

std::optional<LONG> accChildCount(IAccessible* object) {
    LONG count = 0;
    if (FAILED(object->get_accChildCount(&count))) return std::nullopt;
    return count;
}
