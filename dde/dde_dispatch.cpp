#include "dde/dde_dispatch.h"

#include <dde.h>
#include <process.h>

#include <memory>

#include "dde/dde_conversation.h"
#include "dde/dde_servers_list.h"
#include "diag/debug_log.h"
#include "diag/thread_guard.h"
#include "util/unique_handle.h"

namespace {

constexpr DWORD kReadyWaitMs = 1000;

// What the starter hands to the new thread. Both hold a reference: a starter that stopped
// waiting returns while the thread may still write hWnd and release the semaphore, so the record
// lives until the later of the two lets go of it.
struct DDEThreadStartContext {
    HWND hWnd = nullptr;
    lookout::unique_kernel_handle hReadySemaphore;
};
using StartContextRef = std::shared_ptr<DDEThreadStartContext>;

HWND windowOf(WPARAM wParam) { return reinterpret_cast<HWND>(wParam); }

unsigned __stdcall DDEDispatchThreadLoop(void* argument) noexcept {
    StartContextRef context;
    {
        std::unique_ptr<StartContextRef> handedOver(static_cast<StartContextRef*>(argument));
        context = std::move(*handedOver);
    }
    traceFunction("DDEDispatchThreadLoop");
    HWND window = createConsoleDDEProcessingWindow(GetConsoleWindow());
    context->hWnd = window;
    ReleaseSemaphore(context->hReadySemaphore.get(), 1, nullptr);
    context.reset();

    runDDEMessageLoop(window);
    return 0;
}

// The dispatch thread under the crash guard. A fault leaves the conversations and the shared list
// in a state nobody can trust: it is dumped, and the program ends as after a fault in the loop.
unsigned __stdcall guardedDDEDispatchThread(void* argument) {
    runGuarded([](void* context) { DDEDispatchThreadLoop(context); }, argument,
               ThreadFault::EndsProgram);
    return 0;
}

}  // namespace

void runDDEMessageLoop(HWND window) {
    // The quit message posted at WM_DESTROY is addressed to the thread, which the window filter
    // need not admit; once the window is gone GetMessageA reports -1 for the filter, and that
    // ends the loop. A -1 while the window lives is a single message lost: Wine fails a posted
    // DDE message whose data block it cannot deliver (one of some MB) and drops it. Without a
    // window the filter admits the whole thread, to which nothing is addressed, so the thread
    // waits for good.
    MSG message;
    for (;;) {
        BOOL got = GetMessageA(&message, window, 0, 0);
        if (got == 0) return;
        if (got == -1) {
            if (!window || !IsWindow(window)) return;
            logMessage("Error: a message of the DDE window was lost: error %lu", GetLastError());
            ddeServersList.onMessageLost();
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND startDDEDispatchLoop() {
    traceFunction("startDDEDispatchLoop");
    StartContextRef context = std::make_shared<DDEThreadStartContext>();
    context->hReadySemaphore.reset(CreateSemaphoreA(nullptr, 0, 1, nullptr));
    if (!context->hReadySemaphore) return nullptr;
    auto threadReference = std::make_unique<StartContextRef>(context);
    lookout::unique_kernel_handle thread(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, guardedDDEDispatchThread, threadReference.get(), 0, nullptr)));
    if (!thread) return nullptr;
    threadReference.release();  // the thread owns this reference now
    // Closing the thread handle on return leaves the thread running.
    if (WaitForSingleObject(context->hReadySemaphore.get(), kReadyWaitMs) != WAIT_OBJECT_0)
        return nullptr;
    return context->hWnd;
}

HWND createConsoleDDEProcessingWindow(HWND consoleWindow) {
    traceFunction("createConsoleDDEProcessingWindow");
    HINSTANCE instance =
        consoleWindow
            ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(consoleWindow, GWLP_HINSTANCE))
            : nullptr;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DDEWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kDDEWindowClassName;
    if (!RegisterClassA(&windowClass)) return nullptr;
    return CreateWindowExA(0, kDDEWindowClassName, kDDEWindowClassName, WS_OVERLAPPEDWINDOW,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           HWND_MESSAGE, nullptr, instance, nullptr);
}

LRESULT CALLBACK DDEWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        traceFunction("DDEWndProc");
        switch (message) {
            case WM_CREATE:
                return 0;
            case WM_DESTROY:
                ddeServersList.terminateAllDDE(window);
                PostQuitMessage(0);
                break;
            case WM_DDE_ACK: {
                bool sent = InSendMessage() != FALSE;
                DDEAckKind kind = ddeServersList.onDDEAck(windowOf(wParam), lParam, sent);
                releaseDDEAckParam(lParam, sent, kind);
                break;
            }
            case WM_DDE_DATA:
                onDDEData(window, windowOf(wParam), lParam);
                break;
            case WM_DDE_TERMINATE:
                onDDETerminate(window, windowOf(wParam));
                break;
            case WM_USER: {
                // Only the monitor thread's request is taken: sent, for the server it is about to
                // ask, once. Request messages that other programs post or send are ignored.
                HWND server = windowOf(wParam);
                if (!InSendMessage() || !ddeServersList.claimAwaitedRequest(server)) break;
                traceFunction("onStartDDERequest");
                bool posted = sendDDERequest(server, window);
                ddeServersList.requestPosted(server, posted);
                DefWindowProcA(window, message, wParam, lParam);
                return posted ? 1 : 0;
            }
            default:
                break;
        }
    } catch (...) {
        // Nothing may escape into the system's dispatch; the request concerned ends by time-out.
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
