#pragma once
// Owns the lParam of a DDE message that packs two values (PackDDElParam): freed with
// FreeDDElParam unless ownership passed on with the message.

#include <windows.h>

#include <dde.h>

#include <utility>

class PackedDDElParam {
public:
    PackedDDElParam(UINT message, UINT_PTR low, UINT_PTR high) noexcept
        : message_(message), value_(PackDDElParam(message, low, high)) {}
    // Takes a received lParam, which the receiver frees.
    static PackedDDElParam received(UINT message, LPARAM value) noexcept {
        return PackedDDElParam(message, value);
    }
    ~PackedDDElParam() {
        if (value_) FreeDDElParam(message_, value_);
    }
    PackedDDElParam(PackedDDElParam&& other) noexcept
        : message_(other.message_), value_(std::exchange(other.value_, 0)) {}
    PackedDDElParam(const PackedDDElParam&) = delete;
    PackedDDElParam& operator=(const PackedDDElParam&) = delete;
    PackedDDElParam& operator=(PackedDDElParam&&) = delete;

    LPARAM get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != 0; }
    LPARAM release() noexcept { return std::exchange(value_, 0); }
    // Frees it now; false when FreeDDElParam failed.
    bool reset() noexcept {
        LPARAM value = std::exchange(value_, 0);
        return !value || FreeDDElParam(message_, value) != FALSE;
    }
    // Unpacks the two values; false when the lParam is not a packed pair.
    bool unpack(UINT_PTR& low, UINT_PTR& high) const noexcept {
        return UnpackDDElParam(message_, value_, &low, &high) != FALSE;
    }

private:
    PackedDDElParam(UINT message, LPARAM value) noexcept : message_(message), value_(value) {}

    UINT message_;
    LPARAM value_;
};
