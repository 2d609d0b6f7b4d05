#pragma once
// Runs a clean-up action when the scope ends, unless release() was called.

#include <utility>

namespace lookout {

template <typename F>
class scope_exit_guard {
public:
    explicit scope_exit_guard(F action) noexcept : action_(std::move(action)) {}
    ~scope_exit_guard() {
        if (active_) action_();
    }
    scope_exit_guard(scope_exit_guard&& other) noexcept
        : action_(std::move(other.action_)), active_(std::exchange(other.active_, false)) {}
    scope_exit_guard(const scope_exit_guard&) = delete;
    scope_exit_guard& operator=(const scope_exit_guard&) = delete;
    scope_exit_guard& operator=(scope_exit_guard&&) = delete;

    void release() noexcept { active_ = false; }

private:
    F action_;
    bool active_ = true;
};

template <typename F>
[[nodiscard]] scope_exit_guard<F> scope_exit(F action) noexcept {
    return scope_exit_guard<F>(std::move(action));
}

}  // namespace lookout
