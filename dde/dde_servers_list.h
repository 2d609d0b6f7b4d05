#pragma once
// The DDE client's shared state. The monitor thread asks a browser for its address and waits; the
// dispatch thread owns the DDE window and receives the servers' acknowledgements and data. All
// they exchange passes through the one list: which server answers for which browser window, the
// servers that acknowledged the latest initiate, the last reply of each server, and a semaphore
// that tells the requester its reply has been stored.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <string>

// Orders window handles by their value taken as an unsigned number.
struct WindowHandleOrder {
    bool operator()(HWND a, HWND b) const noexcept {
        return reinterpret_cast<std::uintptr_t>(a) < reinterpret_cast<std::uintptr_t>(b);
    }
};

class DDEServersList {
public:
    DDEServersList();
    // Closes the list. The critical sections and the semaphore are left to the end of the
    // process: at exit the monitor thread and the dispatch thread still run and may enter them.
    ~DDEServersList();
    DDEServersList(const DDEServersList&) = delete;
    DDEServersList& operator=(const DDEServersList&) = delete;

    // Monitor thread. Asks the server matched to browserWindow (found by an initiate broadcast
    // for applicationName when there is none yet) and waits up to a second for its text. `reply`
    // is empty on any failure.
    void sendDDERequest(HWND ddeWindow, HWND browserWindow, const std::string& applicationName,
                        std::string& reply);
    void sendBrowserDDEInit(HWND ddeWindow, const std::string& applicationName);
    // Copies the stored reply of a server; a server that never replied gets an empty entry.
    void getBrowserUrlInfo(HWND serverWindow, std::string& reply);

    // Dispatch thread.
    void onDDEAck(HWND senderWindow);
    void onDataRecv(HWND serverWindow, const std::string& text);
    void terminateAllDDE(HWND ddeWindow);

    // Empties the list for good: every later operation does nothing and every request fails.
    void close();

private:
    std::map<HWND, HWND, WindowHandleOrder> browserServerMap;
    std::map<HWND, std::string, WindowHandleOrder> serverReplyMap;
    HANDLE hAnswerSemaphore;
    std::list<HWND> ackedServerList;
    CRITICAL_SECTION csReplies;  // serverReplyMap and hAwaitedServer
    CRITICAL_SECTION csAcks;     // ackedServerList
    // browserServerMap: extended by the monitor thread, emptied by the dispatch thread when the
    // DDE window is destroyed, possibly in the middle of a request.
    CRITICAL_SECTION csServers;
    // The server whose reply the requester is waiting for. Only its reply releases the
    // semaphore, so a late reply of another server cannot end the wait before the right one.
    HWND hAwaitedServer = nullptr;
    std::atomic<bool> closed{false};
};

// The program's one list: constructed before main runs and never destroyed, since the dispatch
// thread and the monitor thread may use it up to the very end of the process.
extern DDEServersList& ddeServersList;
