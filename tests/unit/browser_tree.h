#pragma once
// A window tree of this process standing in for a browser's: a hidden top-level window with
// children of chosen classes and texts. Children of a class the system provides ("Edit") are
// real controls; the others answer WM_GETTEXT with their window text. Destroyed with the object.

#include <windows.h>

#include <string>
#include <vector>

namespace unit {

class BrowserTree {
public:
    BrowserTree(const std::string& frameClass, const std::string& title);
    ~BrowserTree();
    BrowserTree(const BrowserTree&) = delete;
    BrowserTree& operator=(const BrowserTree&) = delete;

    HWND frame() const { return frame_; }
    // A child of `parent` (created last, so enumerated after the children made before it).
    HWND add(HWND parent, const std::string& className, const std::string& text = {});

private:
    HWND frame_;
};

// The descendants of `window` in the order EnumChildWindows visits them.
std::vector<HWND> enumerationOrder(HWND window);

// The log line text for a handle: "0x" and the handle as the log prints a pointer.
std::string pointerText(HWND window);

// Whether every part occurs in `text`, each after the end of the one before. On failure,
// `missing` names the first part not found.
bool containsInOrder(const std::string& text, const std::vector<std::string>& parts,
                     std::string* missing = nullptr);

// Opens the debug log in a fresh file for the object's life; content() reads it back.
class CapturedLog {
public:
    CapturedLog();
    ~CapturedLog();
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;
    std::string content() const;

private:
    std::string path_;
};

}  // namespace unit
