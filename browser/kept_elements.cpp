#include "browser/kept_elements.h"

#include <utility>
#include <vector>

#include "diag/debug_log.h"
#include "util/scope_exit.h"

namespace {

struct Kept {
    HWND window;
    DWORD processId;  // a window handle used again later belongs to another process
    AddressElement element;
};

// Never destroyed: its objects may be released only on a walk thread, and walk threads left
// behind may still use it while the process ends.
struct KeptElements {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<Kept> kept;  // the one kept longest ago first
};

KeptElements& keptElements() {
    static KeptElements& elements = *new KeptElements;
    return elements;
}

DWORD processOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

bool stillThere(const Kept& kept) {
    return IsWindow(kept.window) && processOf(kept.window) == kept.processId;
}

// Moves the entries of windows that have gone out of `kept` into `dropped`.
void dropGone(std::vector<Kept>& kept, std::vector<Kept>& dropped) {
    for (auto it = kept.begin(); it != kept.end();) {
        if (stillThere(*it)) {
            ++it;
            continue;
        }
        dropped.push_back(std::move(*it));
        it = kept.erase(it);
    }
}

// Takes the window's own entry out, with the lock held. An entry whose window has gone, or
// whose handle now names a window of another process, is dropped instead; what was dropped is
// released by the caller once the lock is left.
std::optional<AddressElement> takeLocked(KeptElements& elements, HWND window,
                                         std::vector<Kept>& dropped) {
    for (auto it = elements.kept.begin(); it != elements.kept.end(); ++it) {
        if (it->window != window) continue;
        std::optional<AddressElement> taken;
        if (stillThere(*it))
            taken = std::move(it->element);
        else
            dropped.push_back(std::move(*it));
        elements.kept.erase(it);
        return taken;
    }
    return std::nullopt;
}

}  // namespace

void keepAddressElement(HWND window, AddressElement element) {
    const DWORD processId = processOf(window);
    if (processId == 0) return;
    // Released once the lock is left (declared before its guard): releasing a browser's object
    // is a call to its process.
    std::vector<Kept> dropped;
    std::optional<AddressElement> replaced;
    KeptElements& elements = keptElements();
    AcquireSRWLockExclusive(&elements.lock);
    auto unlock = lookout::scope_exit([&elements] { ReleaseSRWLockExclusive(&elements.lock); });
    replaced = takeLocked(elements, window, dropped);
    if (elements.kept.size() >= kMaxKeptElements) dropGone(elements.kept, dropped);
    if (elements.kept.size() >= kMaxKeptElements) {
        dropped.push_back(std::move(elements.kept.front()));
        elements.kept.erase(elements.kept.begin());
    }
    elements.kept.push_back({window, processId, std::move(element)});
}

std::optional<AddressElement> takeAddressElement(HWND window) {
    std::vector<Kept> dropped;
    std::optional<AddressElement> taken;
    KeptElements& elements = keptElements();
    AcquireSRWLockExclusive(&elements.lock);
    auto unlock = lookout::scope_exit([&elements] { ReleaseSRWLockExclusive(&elements.lock); });
    taken = takeLocked(elements, window, dropped);
    return taken;
}

std::optional<std::string> readKeptElement(WindowObject& root, const char* caller) {
    if (!root.keepsObjects()) return std::nullopt;
    std::optional<AddressElement> element = takeAddressElement(root.window());
    if (!element) return std::nullopt;
    std::optional<std::string> value = readElementAgain(*element, [&root] { return root.get(); });
    if (!value) {
        logMessage("%s: the address element found before has changed; the tree is walked again",
                   caller);
        return std::nullopt;
    }
    logMessage("%s: the address element found before is read again", caller);
    keepAddressElement(root.window(), std::move(*element));
    return value;
}
