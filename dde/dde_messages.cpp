// The receiving side's messages (declared in dde_conversation.h): the request, the data and its
// acknowledgement, the acknowledgements that arrive, the terminate.
#include "dde/dde_conversation.h"

#include <dde.h>

#include "dde/dde_data_block.h"
#include "dde/dde_data_owner.h"
#include "dde/dde_lparam.h"
#include "dde/dde_servers_list.h"
#include "diag/debug_log.h"
#include "util/unique_handle.h"

namespace {

void* handleText(HWND window) { return static_cast<void*>(window); }

}  // namespace

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
