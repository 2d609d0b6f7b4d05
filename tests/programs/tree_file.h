#pragma once
// Tree files (tests/trees/*.json, described in tests/trees/README.md) as in-process accessible
// objects (msaa_node.h): the tree player serves them to other processes, unit tests walk them
// directly.

#include <windows.h>

#include <map>
#include <string>

#include "msaa_node.h"

namespace msaa_test {

// The window a tree was captured from.
struct TreeWindow {
    std::wstring className, title;
    std::string executable;  // file name, UTF-8
};

// The objects of a tree by their path, each with its "object" key.
using Placed = std::map<std::string, std::pair<Node*, std::string>>;

// A tree loaded from a file. Its objects are never freed: proxies in other processes may call
// them at any time, also after a reload has replaced them.
class TreeFile {
public:
    // Loads `path` (a Windows path); throws std::runtime_error naming the fault when the file
    // cannot be read or is not a tree file. With `counts`, every object counts its calls there;
    // `quitting` ends the waits of objects that delay "until quit".
    explicit TreeFile(std::string path, CallCounts* counts = nullptr, HANDLE quitting = nullptr);

    // The object of OBJID_CLIENT.
    Node& root() const { return *root_; }
    const TreeWindow& window() const { return window_; }
    // Whether the window does not answer WM_GETOBJECT until the process quits.
    bool stalls() const { return stalls_; }
    // Whether the window forges its answer to WM_GETOBJECT (see tree_player.cpp).
    bool forgesReply() const { return forgesReply_; }

    // The objects of the tree, simple elements included (an object that is its own child once).
    std::size_t objects() const { return placed_.size(); }

    // Whether the file was written since it was loaded.
    bool changed() const;
    // Reads the file again, as a navigation changes a browser's tree: an object at the same path
    // of child positions stays the same object with the new answers, unless the file gives it
    // another "object" key; objects no longer in the tree answer every call with E_FAIL. Throws
    // like the constructor; a file that is no JSON leaves the tree as it was.
    void reload();

private:
    std::string path_;
    CallCounts* counts_;
    HANDLE quitting_;
    FILETIME written_ = {};
    Node* root_ = nullptr;
    TreeWindow window_;
    bool stalls_ = false;
    bool forgesReply_ = false;
    Placed placed_;
};

}  // namespace msaa_test
