#include "app/stop_handover.h"

#include <atomic>

namespace {

std::atomic<bool> loopRunning{false};
std::atomic<bool> stopWaiting{false};
// Manual-reset, made before the loop runs and never closed: the stop may wait on it from any
// thread at any time until the process ends.
HANDLE handedOver = nullptr;

}  // namespace

void monitorLoopWillHandOver() {
    handedOver = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (handedOver) loopRunning = true;
}

bool stopWaitsForReports() { return stopWaiting.load(std::memory_order_relaxed); }

void reportsHandedOver() { SetEvent(handedOver); }

void handOverReportsBeforeStop(DWORD boundMs) {
    if (!loopRunning) return;
    stopWaiting = true;
    WaitForSingleObject(handedOver, boundMs);
}
