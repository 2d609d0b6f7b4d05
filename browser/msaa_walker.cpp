#include "browser/msaa_walker.h"

// Not walked yet: no address is found.
std::string WalkerMSAA::getFirefoxURL(HWND) { return {}; }
