#include "dde/dde_url.h"

#include "dde/dde_reply.h"
#include "dde/dde_servers_list.h"
#include "diag/debug_log.h"

bool getBrowserUrl(HWND browserWindow, const std::string& browserTypeName, HWND ddeWindow,
                   std::string& url, std::string& title) {
    traceFunction("getBrowserUrl");
    std::string reply;
    ddeServersList.sendDDERequest(ddeWindow, browserWindow, browserTypeName, reply);
    if (reply.empty()) {
        logMessage("Error: %s cannot obtain browser information", "getBrowserUrl");
        return false;
    }
    useFirstAndSecondPartOfDDEString(reply, url, title);
    return true;
}
