#include "dde/dde_url.h"

// No DDE query is made yet.
bool getBrowserUrl(HWND, const std::string&, HWND, std::string&, std::string&) { return false; }
