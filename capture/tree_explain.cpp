#include "capture/tree_explain.h"

#include <oleacc.h>

#include "browser/chrome_reader.h"
#include "browser/chromium_tree.h"
#include "browser/classify.h"
#include "browser/ie_reader.h"
#include "browser/msaa_tree.h"
#include "browser/msaa_window_object.h"
#include "browser/walk_bounds.h"
#include "capture/counted_accessible.h"
#include "capture/redact.h"
#include "capture/tree_capture.h"
#include "util/record_text.h"

using lookout::com_ptr;
using nlohmann::ordered_json;

namespace {

const char* kindOf(BrowserType type) {
    switch (type) {
        case kNotABrowser: return "an application (not a browser)";
        case kFirefox: return "Firefox";
        case kInternetExplorer: return "Internet Explorer";
        case kOpera: return "Opera up to 12";
        case kChrome: return "Chrome with an omnibox window (older versions)";
        case kYandex: return "Yandex with an omnibox window (older versions)";
        case kChromium: return "a Chromium-family browser of today";
        default: return "unknown";
    }
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// A record text (UTF-8 here) as redactText leaves it.
std::string redacted(const std::string& text) {
    if (text.empty()) return text;
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
        static_cast<int>(wide.size()))));
    return fileText(redactText(wide));
}

// A record text as the user is shown it.
std::string shown(const std::string& text, bool redact) {
    return quoted(redact ? redacted(text) : text);
}

std::string pathText(const std::vector<LONG>& positions) {
    std::string text;
    for (LONG position : positions) text += (text.empty() ? "" : "/") + std::to_string(position);
    return text.empty() ? "(the root)" : text;
}

// Finds the first element of role `role` in document order (outside documents) whose value is
// `value`; `path` gets its child positions from 1.
const ordered_json* findElement(const ordered_json& node, LONG role, const std::string& value,
                                std::vector<LONG>& path) {
    if (node.value("role", ordered_json()) == role && node.value("value", ordered_json()) == value)
        return &node;
    if (node.value("role", ordered_json()) == ROLE_SYSTEM_DOCUMENT || !node.contains("children"))
        return nullptr;
    LONG position = 0;
    for (const ordered_json& child : node["children"]) {
        path.push_back(++position);
        if (const ordered_json* found = findElement(child, role, value, path)) return found;
        path.pop_back();
    }
    return nullptr;
}

const ordered_json* nodeAt(const ordered_json& root, const std::vector<LONG>& positions) {
    const ordered_json* node = &root;
    for (LONG position : positions) {
        if (!node->contains("children") || position < 1 ||
            static_cast<std::size_t>(position) > (*node)["children"].size())
            return nullptr;
        node = &(*node)["children"][static_cast<std::size_t>(position) - 1];
    }
    return node;
}

std::string field(const ordered_json& node, const char* key) {
    const ordered_json value = node.value(key, ordered_json());
    if (value.is_null()) return "none";
    return value.is_string() ? quoted(value.get<std::string>()) : value.dump();
}

class Explainer {
public:
    Explainer(HWND window, const ordered_json& captured, bool redact)
        : window_(window), captured_(captured), redact_(redact) {}

    // The window's object `objectId`, counted; null (and said why) when there is none.
    com_ptr<IAccessible> object(LONG objectId) {
        com_ptr<IAccessible> object;
        const HRESULT result = getWindowAccessible(window_, kWindowObjectTimeoutMs, object, objectId);
        if (FAILED(result)) {
            say(result == HRESULT_FROM_WIN32(ERROR_TIMEOUT)
                    ? "The window did not hand out its accessible object within " +
                          std::to_string(kWindowObjectTimeoutMs) + " ms."
                    : "The window has no accessible object.");
            return {};
        }
        return countedAccessible(object, &calls_);
    }

    void chromium() {
        say("Reader: the accessibility tree of the client object, by Lookout's rules for Chromium"
            " (the text element whose keyboard shortcut is \"Ctrl+L\"; without one, a shortcut of"
            " one other modifier and \"L\"; else the first text element in a toolbar; the tab"
            " strip, documents and other parts that cannot hold the address are not entered).");
        com_ptr<IAccessible> root = object(OBJID_CLIENT);
        if (!root) return;
        WalkBounds bounds;
        ChromiumAddress found;
        const bool ok = findChromiumAddress(root.get(), bounds, found);
        if (!ok) {
            say("No address element found: Lookout reports this window with an application "
                "record.");
        } else {
            std::vector<LONG> positions;
            for (LONG position : found.element.path) positions.push_back(position + 1);
            element(nodeAt(captured_, positions), positions, found.value);
        }
        calls();
    }

    void firefox() {
        say("Reader: the accessibility tree of the window object, by Lookout's rules for Firefox "
            "(an older Firefox's combo box whose name equals its value, and the text element in "
            "it; else today's address input, the last combo box of the first toolbar that holds "
            "combo boxes; the tab strip, documents and other parts that cannot hold the address "
            "are not entered); only when neither is found does Lookout ask the browser over DDE.");
        com_ptr<IAccessible> root = object(OBJID_WINDOW);
        if (!root) return;
        WalkBounds bounds;
        AddressInput input;
        std::string address;
        walkFirefoxTree(root.get(), false, address, bounds, &input);
        if (!address.empty()) {
            say("The older Firefox's address combo box:");
            lookUp(ROLE_SYSTEM_TEXT, address);
        } else if (input.found && input.value.empty()) {
            say("Today's Firefox address input is empty: Lookout reports this window with an "
                "application record, and asks nothing over DDE.");
        } else if (input.found) {
            say("Today's Firefox address input, which Lookout takes without a DDE query:");
            lookUp(input.element.role, input.value);
        } else {
            say("No address element found: without a DDE answer Lookout reports this window with"
                " an application record.");
        }
        calls();
    }

    void say(const std::string& line) { lines.push_back(line); }

    std::vector<std::string> lines;

private:
    void lookUp(LONG role, const std::string& value) {
        std::vector<LONG> positions;
        const ordered_json* node =
            findElement(captured_, role, redact_ ? redacted(value) : value, positions);
        element(node, positions, value);
    }

    void element(const ordered_json* node, const std::vector<LONG>& positions,
                 const std::string& value) {
        if (node) {
            say("Address element: path " + pathText(positions) +
                " (child positions from the client object, from 1), role " + field(*node, "role") +
                ", shortcut " + field(*node, "shortcut") + ", name " + field(*node, "name"));
        } else {
            say("Address element: not in the captured tree (outside the client object, or past "
                "the capture's bounds)");
        }
        say("Address: " + shown(value, redact_));
    }

    void calls() { say("Accessibility calls: " + std::to_string(calls_)); }

    HWND window_;
    const ordered_json& captured_;
    bool redact_;
    unsigned long calls_ = 0;
};

}  // namespace

std::vector<std::string> explainWindow(HWND window, const std::string& modulePath,
                                       const ordered_json& capturedRoot, bool redact) {
    Explainer explainer(window, capturedRoot, redact);
    const BrowserType type = getBrowserType(window, modulePath);
    explainer.say("Lookout classifies the window as " + std::string(kindOf(type)) + " (type " +
                  std::to_string(type) + ").");
    switch (type) {
        case kChromium:
            explainer.chromium();
            break;
        case kFirefox:
            explainer.firefox();
            break;
        case kChrome:
        case kYandex:
            explainer.say("Reader: the text of the omnibox child window, no accessibility calls.");
            explainer.say("Address: " + shown(getChromeUrl(window), redact));
            break;
        case kInternetExplorer:
            explainer.say("Reader: the address bar's edit window, no accessibility calls.");
            explainer.say("Address: " + shown(getIExprolerUrl(window), redact));
            break;
        case kOpera:
            explainer.say("Reader: DDE only, which LookoutTree does not ask.");
            break;
        default: {
            char className[256] = {};
            GetClassNameA(window, className, sizeof className);
            if (std::string(className) != "Chrome_WidgetWin_1") {
                explainer.say("No reader runs: Lookout reports an application record.");
                break;
            }
            explainer.say("A Chromium frame of an executable that is not among the browsers "
                          "Lookout knows: Lookout reports an application record. Were it one:");
            explainer.chromium();
        }
    }
    return explainer.lines;
}
