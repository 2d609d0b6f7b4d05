#include "dde/dde_url.h"

#include <utility>

#include "dde/dde_reply.h"
#include "dde/dde_servers_list.h"
#include "diag/debug_log.h"
#include "util/record_text.h"
#include "util/scope_exit.h"

namespace {

// The DDE client has one waiting request at a time; reads of two browsers may ask at once.
// A query that cannot have the client within this wait fails like any other: its reader's
// bound has run out by then.
constexpr DWORD kQueryTurnWaitMs = 1000;

// Made on first use and never closed: a query left behind may still hold it at exit.
HANDLE queryTurn() {
    static const HANDLE turn = CreateMutexA(nullptr, FALSE, nullptr);
    return turn;
}

}  // namespace

bool getBrowserUrl(HWND browserWindow, const std::string& browserTypeName, HWND ddeWindow,
                   std::string& url, std::string& title) {
    traceFunction("getBrowserUrl");
    std::string reply;
    const HANDLE turn = queryTurn();
    const DWORD waited = turn ? WaitForSingleObject(turn, kQueryTurnWaitMs) : WAIT_FAILED;
    // An abandoned turn (its thread ended while it held it) is a turn like any other.
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        auto release = lookout::scope_exit([turn] { ReleaseMutex(turn); });
        ddeServersList.sendDDERequest(ddeWindow, browserWindow, browserTypeName, reply);
    } else {
        logMessage("Error: %s: another DDE query did not end within %u ms", "getBrowserUrl",
                   static_cast<unsigned>(kQueryTurnWaitMs));
    }
    if (reply.empty()) {
        logMessage("Error: %s cannot obtain browser information", "getBrowserUrl");
        return false;
    }
    useFirstAndSecondPartOfDDEString(reply, url, title);
    // The reply is text of the ANSI code page (CF_TEXT), split as bytes as for any record; the
    // fields are converted afterwards.
    url = recordTextFromAnsi(std::move(url));
    title = recordTextFromAnsi(std::move(title));
    return true;
}
