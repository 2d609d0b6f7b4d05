#include "browser/chromium_browsers.h"

namespace {

// One a browser; add a browser here. Not Vivaldi: it draws its whole interface as a web page, so
// its address field lies inside a document, where no walk goes; its windows are applications,
// and nothing is asked of their tree.
constexpr const char* kChromiumBrowserExecutables[] = {
    "chrome.exe",  // Google Chrome
    "msedge.exe",  // Microsoft Edge
    "brave.exe",   // Brave
    "opera.exe",   // Opera
    "chromium.exe",
    "browser.exe",  // Yandex Browser
};

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Only ASCII letters are folded: every name above is ASCII, so a byte of another code page can
// only fail to match.
bool equalIgnoringCase(const std::string& text, const char* name) {
    std::size_t i = 0;
    for (; i < text.size() && name[i] != '\0'; ++i)
        if (asciiLower(text[i]) != asciiLower(name[i])) return false;
    return i == text.size() && name[i] == '\0';
}

}  // namespace

bool isChromiumBrowserExecutable(const std::string& modulePath) {
    const std::size_t separator = modulePath.find_last_of("\\/");
    const std::string fileName =
        separator == std::string::npos ? modulePath : modulePath.substr(separator + 1);
    for (const char* name : kChromiumBrowserExecutables)
        if (equalIgnoringCase(fileName, name)) return true;
    return false;
}
