#include "browser/ie_reader.h"

// Not read yet: no address bar is searched for.
std::string getIExprolerUrl(HWND) { return {}; }
