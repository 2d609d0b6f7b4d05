#include "dde/dde_conversation.h"

#include <dde.h>

#include <algorithm>
#include <utility>

#include "dde/dde_data_block.h"
#include "dde/dde_data_owner.h"
#include "dde/dde_lock.h"
#include "dde/dde_lparam.h"
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
    // from the initiate, so the answers are all in when the broadcast returns.
    SendMessageTimeoutA(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(ddeWindow),
                        MAKELPARAM(application.get(), topic.get()), SMTO_NORMAL,
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
}

void DDEServersList::dropServer(HWND serverWindow) {
    {
        CriticalSectionLock lock(csServers);
        for (auto entry = browserServerMap.begin(); entry != browserServerMap.end();)
            entry = entry->second == serverWindow ? browserServerMap.erase(entry) : std::next(entry);
    }
    CriticalSectionLock lock(csReplies);
    conversations.erase(serverWindow);
    serverReplyMap.erase(serverWindow);
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
        entry = IsWindow(entry->first) ? std::next(entry) : serverReplyMap.erase(entry);
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

void sendDDETerminate(HWND serverWindow, HWND ddeWindow) {
    traceFunction("sendDDETerminate");
    // Bounded: a hung browser must not stop the dispatch thread.
    SendMessageTimeoutA(serverWindow, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(ddeWindow), 0,
                        SMTO_ABORTIFHUNG, kDDETerminateTimeoutMs, nullptr);
}

bool sendDDERequest(HWND serverWindow, HWND ddeWindow) {
    traceFunction("sendDDERequest");
    lookout::unique_global_atom item(GlobalAddAtomA(kDDERequestItem));
    if (!item || !PostMessageA(serverWindow, WM_DDE_REQUEST, reinterpret_cast<WPARAM>(ddeWindow),
                               MAKELPARAM(CF_TEXT, item.get())))
        return false;
    item.release();  // the server owns it now: it returns it with its answer or deletes it
    return true;
}

void onDDETerminate(HWND ddeWindow, HWND serverWindow) {
    if (!ddeServersList.onServerTerminate(serverWindow)) return;
    logMessage("DDE server 0x%p ended the conversation: its match is dropped",
               handleText(serverWindow));
    PostMessageA(serverWindow, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(ddeWindow), 0);
}

namespace {

// Acknowledges data, handing the item atom back to the server.
void postDataAck(HWND serverWindow, HWND ddeWindow, lookout::unique_global_atom& item) {
    PackedDDElParam packed(WM_DDE_ACK, kDDEPositiveAck, item.get());
    if (!packed) return;
    if (PostMessageA(serverWindow, WM_DDE_ACK, reinterpret_cast<WPARAM>(ddeWindow), packed.get())) {
        packed.release();  // the server frees the packed pair and deletes the atom
        item.release();
    }
}

void storeEmptyReply(HWND serverWindow) {
    logMessage("calling onDataRecv() with empty string");
    ddeServersList.onDataRecv(serverWindow, std::string());
}

}  // namespace

void onDDEData(HWND ddeWindow, HWND serverWindow, LPARAM lParam) {
    traceFunction("onDDEData");
    logMessage("onDDEData: still alive-1: calling UnpackDDElParam");
    PackedDDElParam received = PackedDDElParam::received(WM_DDE_DATA, lParam);
    UINT_PTR dataValue = 0;
    UINT_PTR itemValue = 0;
    bool unpacked = received.unpack(dataValue, itemValue);
    bool freed = received.reset();
    // Only a server Lookout has asked is answered: its item atom is ours now and goes back with
    // the acknowledgement. Data from anyone else is neither acknowledged nor kept, and its atom
    // is not Lookout's to delete.
    bool partner = ddeServersList.isConversationPartner(serverWindow);
    lookout::unique_global_atom item(unpacked && partner ? static_cast<ATOM>(itemValue) : 0);
    logMessage("onDDEData: still alive-2: after call FreeDDElParam");
    if (!unpacked) logMessage("Error: UnpackDDElParam call failed");
    if (!freed) logMessage("Error: FreeDDElParam call failed");
    if (!unpacked || !freed) return storeEmptyReply(serverWindow);

    logMessage("onDDEData: still alive-3: check of hDatav");
    lookout::unique_hglobal data(reinterpret_cast<HGLOBAL>(dataValue));
    if (!data) {
        logMessage("Error: UnpackDDElParam returned NULL in result");
        ddeServersList.onDataRecv(serverWindow, std::string());
        return;
    }
    // The block is freed below only where its flags or the platform make it Lookout's.
    bool freeCopy = receiverFreesKeptDataCopy(serverWindow);
    logMessage("onDDEData: still alive-4: pointers");
    logMessage("onDDEData: still alive-5: calling GlobalLock");
    DDEDataContent content;
    {
        lookout::global_lock<const unsigned char> block(data.get());
        logMessage("onDDEData: still alive-6: after GlobalLock");
        if (!block) {
            logMessage("Error: GlobalLock returned NULL");
            data.release();
            return storeEmptyReply(serverWindow);
        }
        SIZE_T size = GlobalSize(data.get());
        content = readDDEDataBlock(block.get(), size);
        if (!content.readable) {
            logMessage("Error: DDE data block too small: %u bytes", static_cast<unsigned>(size));
        } else if (content.ackRequested && partner) {
            logMessage(
                "onDDEData: still alive-11: pointer, PostMessage WM_DDE_ACK: if ((*(pData + 1)) "
                "& 0x80)");
            postDataAck(serverWindow, ddeWindow, item);
            logMessage("onDDEData: still alive-12: pointer, PostMessage WM_DDE_ACK: done");
        } else if (!partner) {
            logMessage("onDDEData: data from 0x%p, which was not asked: not acknowledged",
                       handleText(serverWindow));
        }
    }
    // An unreadable block is neither acknowledged nor freed, but for this process's own copy:
    // its flags could not be read.
    if (!content.readable) {
        if (!freeCopy) data.release();
        return storeEmptyReply(serverWindow);
    }
    if (content.release) {
        logMessage("onDDEData: still alive-20: pointer, calling GlobalFree");
        data.reset();
    } else if (freeCopy) {
        logMessage("onDDEData: freeing this process's copy of a block the server keeps");
        data.reset();
    } else {
        data.release();  // the server's: it frees the block after the acknowledgement
    }
    logMessage("onDDEData: still alive-500: calling onDataRecv");
    ddeServersList.onDataRecv(serverWindow, content.text);
}

void releaseDDEAckParam(LPARAM lParam, bool sent, DDEAckKind kind) {
    if (kind == DDEAckKind::InitiateAnswer) {
        // The server added the application and topic atoms for this answer.
        lookout::unique_global_atom application(LOWORD(lParam));
        lookout::unique_global_atom topic(HIWORD(lParam));
        return;
    }
    // What a sent acknowledgement that answers nothing holds is unknown: nothing is freed.
    if (sent) return;
    // A posted one reaches this process as a packed pair of its own, whoever sent it; its item
    // atom is Lookout's to delete only when it answers Lookout's request.
    PackedDDElParam packed = PackedDDElParam::received(WM_DDE_ACK, lParam);
    UINT_PTR status = 0;
    UINT_PTR item = 0;
    if (!packed.unpack(status, item)) {
        packed.release();
        return;
    }
    if (kind == DDEAckKind::RequestAnswer) {
        lookout::unique_global_atom answered(static_cast<ATOM>(item));
    }
}
