#include "dde/dde_conversation.h"

#include <dde.h>

#include "dde/dde_data_block.h"
#include "dde/dde_lock.h"
#include "dde/dde_servers_list.h"
#include "diag/debug_log.h"
#include "util/unique_handle.h"

// ---- Requesting side: monitor thread ----

void DDEServersList::sendDDERequest(HWND ddeWindow, HWND browserWindow,
                                    const std::string& applicationName, std::string& reply) {
    traceFunction("DDEServersList::sendDDERequest");
    reply.clear();
    HWND server = nullptr;
    {
        CriticalSectionLock lock(csServers);
        if (closed) return;
        auto match = browserServerMap.find(browserWindow);
        if (match != browserServerMap.end()) server = match->second;
    }

    if (!server) {
        {
            CriticalSectionLock lock(csAcks);
            ackedServerList.clear();
        }
        sendBrowserDDEInit(ddeWindow, applicationName);
        // The acknowledgements arrived on the dispatch thread during the broadcast. The list is
        // copied so that the two locks are never held together.
        std::list<HWND> acked;
        {
            CriticalSectionLock lock(csAcks);
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
                newCount, static_cast<void*>(lastNew));
            return;
        }
        CriticalSectionLock lock(csServers);
        if (closed) return;
        browserServerMap[browserWindow] = lastNew;
        server = lastNew;
    }

    traceFunction("DDEServersList::startDDERequest");
    {
        CriticalSectionLock lock(csReplies);
        if (closed) return;
        hAwaitedServer = server;
    }
    // A release left by a reply that came after its requester had stopped waiting must not
    // answer this request.
    WaitForSingleObject(hAnswerSemaphore, 0);
    SendMessageA(ddeWindow, WM_USER, reinterpret_cast<WPARAM>(server), 0);
    DWORD result = WaitForSingleObject(hAnswerSemaphore, kDDEAnswerWaitMs);
    {
        CriticalSectionLock lock(csReplies);
        hAwaitedServer = nullptr;
    }
    if (result != WAIT_OBJECT_0) {
        logMessage("Error: the answer for DDE request cannot be obtained!!! res = %u",
                   static_cast<unsigned>(result));
        return;
    }
    getBrowserUrlInfo(server, reply);
}

void DDEServersList::sendBrowserDDEInit(HWND ddeWindow, const std::string& applicationName) {
    traceFunction("DDEServersList::sendBrowserDDEInit");
    lookout::unique_global_atom application(GlobalAddAtomA(applicationName.c_str()));
    lookout::unique_global_atom topic(GlobalAddAtomA(kDDETopic));
    // Each server that serves the pair sends its WM_DDE_ACK to the DDE window before it returns
    // from the initiate, so the acknowledgements are all in when the broadcast returns.
    SendMessageTimeoutA(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(ddeWindow),
                        MAKELPARAM(application.get(), topic.get()), SMTO_NORMAL,
                        kDDEInitiateTimeoutMs, nullptr);
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

// ---- Receiving side: dispatch thread ----

void DDEServersList::onDDEAck(HWND senderWindow) {
    traceFunction("DDEServersList::onDDEAck");
    CriticalSectionLock lock(csAcks);
    if (closed) return;
    ackedServerList.push_back(senderWindow);
}

void DDEServersList::onDataRecv(HWND serverWindow, const std::string& text) {
    traceFunction("DDEServersList::onDataRecv");
    bool awaited = false;
    {
        CriticalSectionLock lock(csReplies);
        if (closed) return;
        serverReplyMap[serverWindow] = text;
        awaited = serverWindow == hAwaitedServer;
        if (awaited) hAwaitedServer = nullptr;
    }
    if (!awaited) {
        logMessage("onDataRecv: no request waits for this reply: 0x%p",
                   static_cast<void*>(serverWindow));
        return;
    }
    ReleaseSemaphore(hAnswerSemaphore, 1, nullptr);
}

void DDEServersList::terminateAllDDE(HWND ddeWindow) {
    traceFunction("DDEServersList::terminateAllDDE");
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
}

void sendDDETerminate(HWND serverWindow, HWND ddeWindow) {
    traceFunction("sendDDETerminate");
    // Bounded: a hung browser must not stop the dispatch thread.
    SendMessageTimeoutA(serverWindow, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(ddeWindow), 0,
                        SMTO_ABORTIFHUNG, kDDETerminateTimeoutMs, nullptr);
}

void sendDDERequest(HWND serverWindow, HWND ddeWindow) {
    traceFunction("sendDDERequest");
    lookout::unique_global_atom item(GlobalAddAtomA(kDDERequestItem));
    if (PostMessageA(serverWindow, WM_DDE_REQUEST, reinterpret_cast<WPARAM>(ddeWindow),
                     MAKELPARAM(CF_TEXT, item.get())))
        item.release();  // the server owns it now: it returns it with its answer or deletes it
}

namespace {

// Acknowledges data, handing the item atom back to the server.
void postDataAck(HWND serverWindow, HWND ddeWindow, lookout::unique_global_atom& item) {
    LPARAM packed = PackDDElParam(WM_DDE_ACK, kDDEPositiveAck, item.get());
    if (!packed) return;
    if (PostMessageA(serverWindow, WM_DDE_ACK, reinterpret_cast<WPARAM>(ddeWindow), packed)) {
        item.release();  // the server deletes the atom and frees the packed pair
        return;
    }
    FreeDDElParam(WM_DDE_ACK, packed);
}

void storeEmptyReply(HWND serverWindow) {
    logMessage("calling onDataRecv() with empty string");
    ddeServersList.onDataRecv(serverWindow, std::string());
}

}  // namespace

void onDDEData(HWND ddeWindow, HWND serverWindow, LPARAM lParam) {
    traceFunction("onDDEData");
    logMessage("onDDEData: still alive-1: calling UnpackDDElParam");
    UINT_PTR dataValue = 0;
    UINT_PTR itemValue = 0;
    bool unpacked = UnpackDDElParam(WM_DDE_DATA, lParam, &dataValue, &itemValue) != FALSE;
    bool freed = FreeDDElParam(WM_DDE_DATA, lParam) != FALSE;
    // The item atom is ours now; it goes back to the server only with an acknowledgement.
    lookout::unique_global_atom item(unpacked ? static_cast<ATOM>(itemValue) : 0);
    logMessage("onDDEData: still alive-2: after call FreeDDElParam");
    if (!unpacked) logMessage("Error: UnpackDDElParam call failed");
    if (!freed) logMessage("Error: FreeDDElParam call failed");
    if (!unpacked || !freed) return storeEmptyReply(serverWindow);

    logMessage("onDDEData: still alive-3: check of hDatav");
    HGLOBAL data = reinterpret_cast<HGLOBAL>(dataValue);
    if (!data) {
        logMessage("Error: UnpackDDElParam returned NULL in result");
        ddeServersList.onDataRecv(serverWindow, std::string());
        return;
    }
    logMessage("onDDEData: still alive-4: pointers");
    logMessage("onDDEData: still alive-5: calling GlobalLock");
    DDEDataContent content;
    {
        lookout::global_lock<const unsigned char> block(data);
        logMessage("onDDEData: still alive-6: after GlobalLock");
        if (!block) {
            logMessage("Error: GlobalLock returned NULL");
            return storeEmptyReply(serverWindow);
        }
        SIZE_T size = GlobalSize(data);
        content = readDDEDataBlock(block.get(), size);
        if (!content.readable) {
            logMessage("Error: DDE data block too small: %u bytes", static_cast<unsigned>(size));
        } else if (content.ackRequested) {
            logMessage(
                "onDDEData: still alive-11: pointer, PostMessage WM_DDE_ACK: if ((*(pData + 1)) "
                "& 0x80)");
            postDataAck(serverWindow, ddeWindow, item);
            logMessage("onDDEData: still alive-12: pointer, PostMessage WM_DDE_ACK: done");
        }
    }
    // An unreadable block is neither acknowledged nor freed: its flags could not be read.
    if (!content.readable) return storeEmptyReply(serverWindow);
    if (content.release) {
        logMessage("onDDEData: still alive-20: pointer, calling GlobalFree");
        GlobalFree(data);
    }
    logMessage("onDDEData: still alive-500: calling onDataRecv");
    ddeServersList.onDataRecv(serverWindow, content.text);
}

void releaseDDEAckParam(LPARAM lParam, bool sent) {
    if (sent) {
        GlobalDeleteAtom(LOWORD(lParam));
        GlobalDeleteAtom(HIWORD(lParam));
        return;
    }
    UINT_PTR status = 0;
    UINT_PTR item = 0;
    if (!UnpackDDElParam(WM_DDE_ACK, lParam, &status, &item)) return;
    FreeDDElParam(WM_DDE_ACK, lParam);
    GlobalDeleteAtom(static_cast<ATOM>(item));
}
