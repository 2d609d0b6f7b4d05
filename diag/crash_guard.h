#pragma once
// Runs a function under a structured-exception guard. The only place that knows how the
// compiler expresses such a guard.

#include <windows.h>

using CrashFilter = LONG (*)(EXCEPTION_POINTERS*);

// Calls `body(context)`. When a structured exception (such as an access violation) or a C++
// exception escapes it on this thread, `filter` runs with the exception's information at the
// point of the fault, before anything is unwound, and the result is true. False when `body`
// returned. Each thread's guard is its own: several threads may run guarded at once.
bool runUnderCrashGuard(void (*body)(void*), void* context, CrashFilter filter);
bool runUnderCrashGuard(void (*body)(), CrashFilter filter);

// The code a C++ exception thrown by this compiler's code arrives with at a filter.
#if defined(_MSC_VER)
constexpr DWORD kCppExceptionCode = 0xE06D7363;
#else
constexpr DWORD kCppExceptionCode = 0x20474343;
#endif
