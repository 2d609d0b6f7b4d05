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
    // The program ends by exit() from the termination hook while the monitor thread may be inside
    // a request and the dispatch thread inside a reply. Both check `closed` under the lock that
    // guards what they touch, so once close() has run neither uses the containers again; the
    // locks and the semaphore they may still enter stay valid until the process is gone.
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
        hAwaitedServer = nullptr;
    }
    CriticalSectionLock lock(csServers);
    browserServerMap.clear();
}
