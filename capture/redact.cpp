#include "capture/redact.h"

#include <windows.h>

#include <vector>

std::wstring redactText(const std::wstring& text) {
    if (text.empty()) return text;
    std::vector<WORD> types(text.size());
    if (!GetStringTypeW(CT_CTYPE1, text.data(), static_cast<int>(text.size()), types.data()))
        return std::wstring(text.size(), L'x');  // nothing known of it: nothing of it kept
    std::wstring redacted = text;
    for (std::size_t i = 0; i < redacted.size(); ++i) {
        if (types[i] & C1_DIGIT)
            redacted[i] = L'0';
        else if (types[i] & C1_ALPHA)
            redacted[i] = L'x';
    }
    return redacted;
}
