#pragma once
// An owning COM interface pointer: Release is called exactly once for the reference it holds.

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace lookout {

template <typename T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    ~com_ptr() { reset(); }

    com_ptr(const com_ptr& other) noexcept : pointer_(other.pointer_) {
        if (pointer_) pointer_->AddRef();
    }
    com_ptr& operator=(const com_ptr& other) noexcept {
        com_ptr copy(other);
        std::swap(pointer_, copy.pointer_);
        return *this;
    }
    com_ptr(com_ptr&& other) noexcept : pointer_(other.detach()) {}
    com_ptr& operator=(com_ptr&& other) noexcept {
        if (this != &other) attach(other.detach());
        return *this;
    }

    T* get() const noexcept { return pointer_; }
    T* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    void reset() noexcept {
        if (T* old = std::exchange(pointer_, nullptr)) old->Release();
    }
    // Takes over a reference the caller already owns.
    void attach(T* pointer) noexcept {
        reset();
        pointer_ = pointer;
    }
    // Hands the reference to the caller, who must release it.
    T* detach() noexcept { return std::exchange(pointer_, nullptr); }
    // Releases the current reference and hands out the address for a call that fills it.
    T** put() noexcept {
        reset();
        return &pointer_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    // Queries for another interface; the result's HRESULT says why a null came back.
    template <typename U>
    HRESULT query(com_ptr<U>& target) const noexcept {
        if (!pointer_) {
            target.reset();
            return E_POINTER;
        }
        HRESULT result = pointer_->QueryInterface(__uuidof(U), target.put_void());
        // A query that claims success but gives no pointer is no interface either.
        if (SUCCEEDED(result) && !target) result = E_NOINTERFACE;
        return result;
    }
    template <typename U>
    com_ptr<U> query() const noexcept {
        com_ptr<U> target;
        if (FAILED(query(target))) target.reset();
        return target;
    }

private:
    T* pointer_ = nullptr;
};

}  // namespace lookout
