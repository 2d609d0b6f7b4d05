#include "dde/dde_url.h"

#include <utility>

#include "dde/dde_reply.h"
#include "dde/dde_servers_list.h"
#include "diag/debug_log.h"
#include "util/record_text.h"

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
    // The reply is text of the ANSI code page (CF_TEXT), split as bytes as for any record; the
    // fields are converted afterwards.
    url = recordTextFromAnsi(std::move(url));
    title = recordTextFromAnsi(std::move(title));
    return true;
}
