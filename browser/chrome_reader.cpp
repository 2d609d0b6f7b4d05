#include "browser/chrome_reader.h"

// Not read yet: no omnibox is searched for.
std::string getChromeUrl(HWND) { return {}; }
