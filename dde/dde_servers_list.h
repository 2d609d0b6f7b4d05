#pragma once
// The DDE client's shared state. A browser read asks a browser for its address and waits, one
// read at a time; the dispatch thread owns the DDE window and receives the servers'
// acknowledgements and data. All they exchange passes through the one list: which server answers
// for which browser window, the servers that acknowledged the latest initiate, the last reply of
// each server, and a semaphore that tells the requester its reply has been stored.

#include <windows.h>

#include <atomic>
#include <cstddef>
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

// How the receiving side takes a WM_DDE_ACK, which decides what its lParam holds.
enum class DDEAckKind {
    InitiateAnswer,  // sent during this initiate, naming its application and topic: two atoms
    RequestAnswer,   // posted by a server that owes an answer to a request: a packed status and item
    Unrelated,       // anything else: not an answer to anything Lookout asked
};

class DDEServersList {
public:
    DDEServersList();
    // Closes the list. The critical sections and the semaphore are left to the end of the
    // process: at exit the monitor thread and the dispatch thread still run and may enter them.
    ~DDEServersList();
    DDEServersList(const DDEServersList&) = delete;
    DDEServersList& operator=(const DDEServersList&) = delete;

    // Requesting side, one query at a time (getBrowserUrl takes turns). Asks the server matched
    // to browserWindow (found by an initiate broadcast for applicationName when there is none
    // yet) and waits up to a second for its text. `reply` is empty on any failure.
    void sendDDERequest(HWND ddeWindow, HWND browserWindow, const std::string& applicationName,
                        std::string& reply);
    void sendBrowserDDEInit(HWND ddeWindow, const std::string& applicationName);
    // Copies the stored reply of a server; a server that never replied gets an empty entry.
    void getBrowserUrlInfo(HWND serverWindow, std::string& reply);

    // Dispatch thread.
    // Classifies an acknowledgement by what is under way; `sent` tells a sent one from a posted
    // one. An answer to the initiate is counted, an answer to a request settles it.
    DDEAckKind onDDEAck(HWND senderWindow, LPARAM lParam, bool sent);
    // Stores the text when it answers the waiting request and completes that request; any other
    // reply only settles the request it answers, or nothing.
    void onDataRecv(HWND serverWindow, const std::string& text);
    // True for a server that Lookout has asked: its data is acknowledged as it asks.
    bool isConversationPartner(HWND serverWindow);
    // The request message: true when serverWindow is the server the monitor thread is about to
    // ask and no request has been posted for it yet. The caller then posts it and reports the
    // outcome with requestPosted.
    bool claimAwaitedRequest(HWND serverWindow);
    void requestPosted(HWND serverWindow, bool posted);
    // A server ended its conversation: true when it was one of Lookout's, whose match is dropped
    // and whose terminate must be answered.
    bool onServerTerminate(HWND serverWindow);
    // A message of the DDE window was lost before it could be read (the system could not deliver
    // it): any answer still owed may have been in it.
    void onMessageLost();
    void terminateAllDDE(HWND ddeWindow);

    // Empties the list for good: every later operation does nothing and every request fails.
    void close();

private:
    // A server that Lookout has asked. Its answers come in the order of the requests, so the
    // one that settles the last open request is the answer to the newest.
    struct Conversation {
        unsigned requestsOpen = 0;  // posted and not yet answered by data or an acknowledgement
        DWORD lastRequestTick = 0;
    };

    HWND findMatchedServer(HWND browserWindow);
    bool matchNewServer(HWND ddeWindow, HWND browserWindow, const std::string& applicationName,
                        HWND& server);
    // Forgets a server: every browser window matched to it broadcasts again on its next query.
    void dropServer(HWND serverWindow);
    // Forgets the matches, conversations and replies of windows that are gone.
    void forgetGoneWindows();
    // Consumes one open request of the server; true when that answers the waiting request.
    bool settleRequest(HWND serverWindow);

    std::map<HWND, HWND, WindowHandleOrder> browserServerMap;
    std::map<HWND, std::string, WindowHandleOrder> serverReplyMap;
    HANDLE hAnswerSemaphore;
    std::list<HWND> ackedServerList;
    CRITICAL_SECTION csReplies;  // serverReplyMap, conversations and the awaited request
    CRITICAL_SECTION csAcks;     // ackedServerList and the initiate under way
    // browserServerMap: extended by the monitor thread, emptied by the dispatch thread when the
    // DDE window is destroyed, possibly in the middle of a request.
    CRITICAL_SECTION csServers;
    std::map<HWND, Conversation, WindowHandleOrder> conversations;
    // The server whose reply the requester is waiting for, and whether the request has been
    // posted: only the answer to that request releases the semaphore.
    HWND hAwaitedServer = nullptr;
    bool awaitedRequestPosted = false;
    // The server whose answer was stored for the waiting request and not yet copied out: that
    // reply stays even when the server is dropped in between (it may end its conversation right
    // after answering).
    HWND hDeliveredServer = nullptr;
    // The initiate under way: its application and topic atoms, null outside the broadcast.
    ATOM initiateApplication = 0;
    ATOM initiateTopic = 0;
    std::atomic<bool> closed{false};
};

// The program's one list: constructed before main runs and never destroyed, since the dispatch
// thread and the monitor thread may use it up to the very end of the process.
extern DDEServersList& ddeServersList;
