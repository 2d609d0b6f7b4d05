#pragma once
// Owners for the OLE Automation values that COM calls hand out: a BSTR freed with
// SysFreeString, and a VARIANT cleared with VariantClear (which releases an interface or frees a
// string it holds).

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace lookout {

class unique_bstr {
public:
    unique_bstr() noexcept = default;
    explicit unique_bstr(BSTR text) noexcept : text_(text) {}
    ~unique_bstr() { reset(); }
    unique_bstr(const unique_bstr&) = delete;
    unique_bstr& operator=(const unique_bstr&) = delete;
    unique_bstr(unique_bstr&& other) noexcept : text_(other.release()) {}
    unique_bstr& operator=(unique_bstr&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    BSTR get() const noexcept { return text_; }
    explicit operator bool() const noexcept { return text_ != nullptr; }
    void reset(BSTR text = nullptr) noexcept {
        if (BSTR old = std::exchange(text_, text)) ::SysFreeString(old);
    }
    BSTR release() noexcept { return std::exchange(text_, nullptr); }
    // Frees the current string and hands out the address for a call that fills it.
    BSTR* put() noexcept {
        reset();
        return &text_;
    }

private:
    BSTR text_ = nullptr;
};

// A VARIANT that clears itself. It is a VARIANT, so it can be passed by value as an [in]
// argument (a bitwise copy that transfers nothing) while this object keeps the ownership.
class unique_variant : public VARIANT {
public:
    unique_variant() noexcept { ::VariantInit(this); }
    ~unique_variant() { ::VariantClear(this); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;

    // A child id (VT_I4) such as CHILDID_SELF; it owns nothing.
    static unique_variant fromLong(LONG value) noexcept {
        unique_variant variant;
        variant.vt = VT_I4;
        variant.lVal = value;
        return variant;
    }
    unique_variant(unique_variant&& other) noexcept : VARIANT(other) { ::VariantInit(&other); }

    void reset() noexcept {
        ::VariantClear(this);
        ::VariantInit(this);
    }
    // Clears the current value and hands out the address for a call that fills it.
    VARIANT* put() noexcept {
        reset();
        return this;
    }
};

}  // namespace lookout
