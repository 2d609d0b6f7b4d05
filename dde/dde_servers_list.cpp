#include "dde/dde_servers_list.h"

#include "dde/dde_lock.h"
#include "diag/debug_log.h"

DDEServersList& ddeServersList = *new DDEServersList;

DDEServersList::DDEServersList() {
    traceFunction("DDEServersList::DDEServersList");
    InitializeCriticalSection(&csAcks);
    InitializeCriticalSection(&csReplies);
    InitializeCriticalSection(&csServers);
    // A failed creation shows later as a failed wait on every request.
    hAnswerSemaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
}

DDEServersList::~DDEServersList() {
    traceFunction("DDEServersList::~DDEServersList");
    // The program's own list is never destroyed; a list that is (in the tests) is closed first.
    // Both threads check `closed` under the lock that guards what they touch, so once close() has
    // run neither uses the containers again; the locks and the semaphore stay valid.
    close();
}

void DDEServersList::close() {
    closed = true;
    {
        CriticalSectionLock lock(csAcks);
        ackedServerList.clear();
    }
    {
        CriticalSectionLock lock(csReplies);
        serverReplyMap.clear();
        conversations.clear();
        hAwaitedServer = nullptr;
        hDeliveredServer = nullptr;
    }
    CriticalSectionLock lock(csServers);
    browserServerMap.clear();
}
