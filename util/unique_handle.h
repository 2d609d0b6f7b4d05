#pragma once
// Move-only owners for Windows resources. Each traits type fixes which value means "none" for
// its API and how a value is released, so every early return releases what was obtained.

#include <windows.h>

#include <utility>

namespace lookout {

template <typename Traits>
class unique_handle {
public:
    using pointer = typename Traits::pointer;

    unique_handle() noexcept = default;
    explicit unique_handle(pointer value) noexcept : value_(value) {}
    ~unique_handle() { reset(); }

    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    void reset(pointer value = Traits::invalid()) noexcept {
        pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
    // Releases the current value and hands out the address for an API that fills it.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::invalid();
};

struct kernel_handle_traits {  // OpenProcess, CreateFileMapping, CreateSemaphore, threads
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct file_handle_traits {  // CreateFile reports failure as INVALID_HANDLE_VALUE, not NULL
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct global_memory_traits {
    using pointer = HGLOBAL;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::GlobalFree(h); }
};

struct local_memory_traits {
    using pointer = HLOCAL;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::LocalFree(h); }
};

struct map_view_traits {
    using pointer = const void*;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer view) noexcept { ::UnmapViewOfFile(view); }
};

struct global_atom_traits {
    using pointer = ATOM;
    static pointer invalid() noexcept { return 0; }
    static void close(pointer atom) noexcept { ::GlobalDeleteAtom(atom); }
};

struct find_handle_traits {  // FindFirstFile: INVALID_HANDLE_VALUE, closed with FindClose
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::FindClose(h); }
};

using unique_kernel_handle = unique_handle<kernel_handle_traits>;
using unique_hfile = unique_handle<file_handle_traits>;
using unique_hfind = unique_handle<find_handle_traits>;
using unique_hglobal = unique_handle<global_memory_traits>;
using unique_hlocal = unique_handle<local_memory_traits>;
using unique_view = unique_handle<map_view_traits>;
using unique_global_atom = unique_handle<global_atom_traits>;

// Locks a global memory block for as long as it lives; separate from the block's owner.
template <typename T = void>
class global_lock {
public:
    explicit global_lock(HGLOBAL block) noexcept
        : block_(block), data_(block ? static_cast<T*>(::GlobalLock(block)) : nullptr) {}
    ~global_lock() {
        if (data_) ::GlobalUnlock(block_);
    }
    global_lock(const global_lock&) = delete;
    global_lock& operator=(const global_lock&) = delete;

    T* get() const noexcept { return data_; }
    explicit operator bool() const noexcept { return data_ != nullptr; }

private:
    HGLOBAL block_;
    T* data_;
};

}  // namespace lookout
