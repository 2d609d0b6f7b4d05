#include "dde/dde_conversation.h"

#include <dde.h>

#include <algorithm>
#include <utility>

#include "dde/dde_lock.h"
#include "dde/dde_servers_list.h"
#include "diag/debug_log.h"
#include "util/unique_handle.h"

namespace {

// More answers than this to one initiate can only end in "no match"; the rest are not kept.
constexpr std::size_t kMaxInitiateAnswers = 64;
// Answers owed for longer than this after the server's newest request are taken as lost (a
// server that dropped a request, a reply the system could not deliver): otherwise every later
// answer of that server would be taken for an earlier request's.
constexpr DWORD kLostAnswerMs = 5000;

void* handleText(HWND window) { return static_cast<void*>(window); }

}  // namespace

// ---- Requesting side: monitor thread ----

void DDEServersList::sendDDERequest(HWND ddeWindow, HWND browserWindow,
                                    const std::string& applicationName, std::string& reply) {
    traceFunction("DDEServersList::sendDDERequest");
    reply.clear();
    if (closed) return;
    HWND server = findMatchedServer(browserWindow);
    if (server && !IsWindow(server)) {
        logMessage("DDE server 0x%p is gone: its match is dropped", handleText(server));
        dropServer(server);
        server = nullptr;
    }
    if (!server && !matchNewServer(ddeWindow, browserWindow, applicationName, server)) return;

    traceFunction("DDEServersList::startDDERequest");
    {
        CriticalSectionLock lock(csReplies);
        if (closed) return;
        hAwaitedServer = server;
        awaitedRequestPosted = false;
        hDeliveredServer = nullptr;
    }
    // A release left by a reply that came after its requester had stopped waiting must not
    // answer this request.
    WaitForSingleObject(hAnswerSemaphore, 0);
    // Bounded, though the dispatch thread is Lookout's own: it may be working through a flood.
    DWORD_PTR posted = 0;
    bool delivered = SendMessageTimeoutA(ddeWindow, WM_USER, reinterpret_cast<WPARAM>(server), 0,
                                         SMTO_NORMAL, kDDEAnswerWaitMs, &posted) != 0;
    DWORD result = WAIT_FAILED;
    if (delivered && posted) result = WaitForSingleObject(hAnswerSemaphore, kDDEAnswerWaitMs);
    {
        CriticalSectionLock lock(csReplies);
        hAwaitedServer = nullptr;
        awaitedRequestPosted = false;
    }
    if (!delivered) {
        logMessage("Error: the DDE window did not take the request for server 0x%p",
                   handleText(server));
        return;
    }
    if (!posted) {
        logMessage("Error: the DDE request cannot be posted to server 0x%p: its match is dropped",
                   handleText(server));
        dropServer(server);
        return;
    }
    if (result != WAIT_OBJECT_0) {
        logMessage("Error: the answer for DDE request cannot be obtained!!! res = %u",
                   static_cast<unsigned>(result));
        return;
    }
    getBrowserUrlInfo(server, reply);
}

HWND DDEServersList::findMatchedServer(HWND browserWindow) {
    CriticalSectionLock lock(csServers);
    auto match = browserServerMap.find(browserWindow);
    return match != browserServerMap.end() ? match->second : nullptr;
}

bool DDEServersList::matchNewServer(HWND ddeWindow, HWND browserWindow,
                                    const std::string& applicationName, HWND& server) {
    {
        CriticalSectionLock lock(csAcks);
        ackedServerList.clear();
    }
    sendBrowserDDEInit(ddeWindow, applicationName);
    // The answers arrived on the dispatch thread during the broadcast. The list is copied so
    // that the two locks are never held together.
    std::list<HWND> acked;
    {
        CriticalSectionLock lock(csAcks);
        if (closed) return false;
        acked = ackedServerList;
    }
    int newCount = 0;
    HWND lastNew = nullptr;
    {
        CriticalSectionLock lock(csServers);
        for (HWND sender : acked) {
            if (browserServerMap.count(sender)) continue;
            ++newCount;
            lastNew = sender;
        }
    }
    logMessage("Number of Acks: %d", static_cast<int>(acked.size()));
    logMessage("Number of new Acks: %d", newCount);
    if (newCount != 1 || !lastNew) {
        logMessage(
            "Error: cannot set correspondence between browser window and DDE server!!! "
            "nAckedNewNum = %d, hDDEAckedNew = 0x%p",
            newCount, handleText(lastNew));
        return false;
    }
    forgetGoneWindows();
    CriticalSectionLock lock(csServers);
    if (closed) return false;
    browserServerMap[browserWindow] = lastNew;
    server = lastNew;
    return true;
}

void DDEServersList::sendBrowserDDEInit(HWND ddeWindow, const std::string& applicationName) {
    traceFunction("DDEServersList::sendBrowserDDEInit");
    lookout::unique_global_atom application(GlobalAddAtomA(applicationName.c_str()));
    lookout::unique_global_atom topic(GlobalAddAtomA(kDDETopic));
    {
        CriticalSectionLock lock(csAcks);
        initiateApplication = application.get();
        initiateTopic = topic.get();
    }
    // Each server that serves the pair sends its WM_DDE_ACK to the DDE window before it returns
    // from the initiate, so the answers are all in when the broadcast returns. A window the
    // system counts as hung (no messages taken for some seconds) is passed over at once: a hung
    // program anywhere on the desktop would otherwise add the whole time-out to every broadcast.
    SendMessageTimeoutA(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(ddeWindow),
                        MAKELPARAM(application.get(), topic.get()), SMTO_ABORTIFHUNG,
                        kDDEInitiateTimeoutMs, nullptr);
    {
        CriticalSectionLock lock(csAcks);
        initiateApplication = 0;
        initiateTopic = 0;
    }
    application.reset();
    topic.reset();
}

void DDEServersList::getBrowserUrlInfo(HWND serverWindow, std::string& reply) {
    traceFunction("DDEServersList::getBrowserUrlInfo");
    CriticalSectionLock lock(csReplies);
    if (closed) {
        reply.clear();
        return;
    }
    reply = serverReplyMap[serverWindow];
    if (serverWindow != hDeliveredServer) return;
    hDeliveredServer = nullptr;
    // Kept only for this copy when the server was dropped after it answered.
    if (!conversations.count(serverWindow)) serverReplyMap.erase(serverWindow);
}

void DDEServersList::dropServer(HWND serverWindow) {
    {
        CriticalSectionLock lock(csServers);
        for (auto entry = browserServerMap.begin(); entry != browserServerMap.end();)
            entry = entry->second == serverWindow ? browserServerMap.erase(entry) : std::next(entry);
    }
    CriticalSectionLock lock(csReplies);
    conversations.erase(serverWindow);
    if (serverWindow != hDeliveredServer) serverReplyMap.erase(serverWindow);
}

void DDEServersList::forgetGoneWindows() {
    {
        CriticalSectionLock lock(csServers);
        for (auto entry = browserServerMap.begin(); entry != browserServerMap.end();)
            entry = IsWindow(entry->first) ? std::next(entry) : browserServerMap.erase(entry);
    }
    CriticalSectionLock lock(csReplies);
    for (auto entry = conversations.begin(); entry != conversations.end();)
        entry = IsWindow(entry->first) ? std::next(entry) : conversations.erase(entry);
    for (auto entry = serverReplyMap.begin(); entry != serverReplyMap.end();)
        entry = IsWindow(entry->first) || entry->first == hDeliveredServer
                    ? std::next(entry)
                    : serverReplyMap.erase(entry);
}

// ---- Receiving side: dispatch thread ----

DDEAckKind DDEServersList::onDDEAck(HWND senderWindow, LPARAM lParam, bool sent) {
    traceFunction("DDEServersList::onDDEAck");
    if (sent) {
        // An answer to the initiate is sent while the server handles the broadcast and names the
        // application and topic again; the atoms are the same as ours, since atoms of equal
        // names are one atom.
        CriticalSectionLock lock(csAcks);
        if (closed || !initiateApplication || !initiateTopic ||
            static_cast<ULONG_PTR>(lParam) !=
                static_cast<ULONG_PTR>(static_cast<DWORD>(MAKELPARAM(initiateApplication,
                                                                     initiateTopic))) ||
            !IsWindow(senderWindow))
            return DDEAckKind::Unrelated;
        if (ackedServerList.size() < kMaxInitiateAnswers) ackedServerList.push_back(senderWindow);
        return DDEAckKind::InitiateAnswer;
    }
    // A posted acknowledgement answers a request (negatively, as a rule). It settles that
    // request but does not end the wait: the query ends by its time-out.
    CriticalSectionLock lock(csReplies);
    if (closed) return DDEAckKind::Unrelated;
    auto conversation = conversations.find(senderWindow);
    if (conversation == conversations.end() || conversation->second.requestsOpen == 0)
        return DDEAckKind::Unrelated;
    settleRequest(senderWindow);
    return DDEAckKind::RequestAnswer;
}

bool DDEServersList::settleRequest(HWND serverWindow) {
    auto conversation = conversations.find(serverWindow);
    if (conversation == conversations.end() || conversation->second.requestsOpen == 0)
        return false;
    return --conversation->second.requestsOpen == 0 && serverWindow == hAwaitedServer &&
           awaitedRequestPosted;
}

void DDEServersList::onDataRecv(HWND serverWindow, const std::string& text) {
    traceFunction("DDEServersList::onDataRecv");
    bool awaited = false;
    {
        CriticalSectionLock lock(csReplies);
        if (closed) return;
        awaited = settleRequest(serverWindow);
        if (awaited) {
            serverReplyMap[serverWindow] = text;
            hAwaitedServer = nullptr;
            hDeliveredServer = serverWindow;
        }
    }
    if (!awaited) {
        logMessage("onDataRecv: no request waits for this reply: 0x%p", handleText(serverWindow));
        return;
    }
    ReleaseSemaphore(hAnswerSemaphore, 1, nullptr);
}

bool DDEServersList::isConversationPartner(HWND serverWindow) {
    CriticalSectionLock lock(csReplies);
    return !closed && conversations.count(serverWindow) > 0;
}

bool DDEServersList::claimAwaitedRequest(HWND serverWindow) {
    CriticalSectionLock lock(csReplies);
    if (closed || !serverWindow || serverWindow != hAwaitedServer || awaitedRequestPosted)
        return false;
    awaitedRequestPosted = true;
    return true;
}

void DDEServersList::requestPosted(HWND serverWindow, bool posted) {
    unsigned givenUp = 0;
    {
        CriticalSectionLock lock(csReplies);
        if (closed) return;
        if (!posted) {
            awaitedRequestPosted = false;
            return;
        }
        Conversation& conversation = conversations[serverWindow];
        DWORD now = GetTickCount();
        if (conversation.requestsOpen > 0 && now - conversation.lastRequestTick > kLostAnswerMs)
            givenUp = std::exchange(conversation.requestsOpen, 0u);
        ++conversation.requestsOpen;
        conversation.lastRequestTick = now;
    }
    if (givenUp)
        logMessage("DDE server 0x%p: %u answers owed for too long are taken as lost",
                   handleText(serverWindow), givenUp);
}

bool DDEServersList::onServerTerminate(HWND serverWindow) {
    if (closed) return false;
    bool partner = false;
    {
        CriticalSectionLock lock(csServers);
        for (const auto& entry : browserServerMap) partner = partner || entry.second == serverWindow;
    }
    {
        CriticalSectionLock lock(csReplies);
        partner = partner || conversations.count(serverWindow) > 0;
    }
    if (!partner) return false;
    dropServer(serverWindow);
    // A request that waits for this server gets no answer now: it ends at once, empty.
    bool endWait = false;
    {
        CriticalSectionLock lock(csReplies);
        if (serverWindow == hAwaitedServer && awaitedRequestPosted) {
            serverReplyMap[serverWindow].clear();
            hAwaitedServer = nullptr;
            endWait = true;
        }
    }
    if (endWait) ReleaseSemaphore(hAnswerSemaphore, 1, nullptr);
    return true;
}

void DDEServersList::onMessageLost() {
    CriticalSectionLock lock(csReplies);
    for (auto& [server, conversation] : conversations) {
        unsigned awaited = server == hAwaitedServer && awaitedRequestPosted ? 1u : 0u;
        conversation.requestsOpen = std::min(conversation.requestsOpen, awaited);
    }
}

void DDEServersList::terminateAllDDE(HWND ddeWindow) {
    traceFunction("DDEServersList::terminateAllDDE");
    if (closed) return;
    std::map<HWND, HWND, WindowHandleOrder> matched;
    {
        CriticalSectionLock lock(csServers);
        matched.swap(browserServerMap);
    }
    // No lock is held while the servers are told: a server matched to several browser windows
    // hears it once per window.
    for (const auto& entry : matched) sendDDETerminate(entry.second, ddeWindow);
    CriticalSectionLock lock(csReplies);
    serverReplyMap.clear();
    conversations.clear();
}
