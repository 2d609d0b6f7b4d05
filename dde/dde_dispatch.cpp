#include "dde/dde_dispatch.h"

// The DDE client is not built yet, so there is no window to hand requests to.
HWND startDDEDispatchLoop() { return nullptr; }
