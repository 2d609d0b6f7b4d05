#include "tree_file.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <stdexcept>
#include <utility>

namespace msaa_test {

namespace {

using nlohmann::json;

const std::set<std::string>& methodNames() {
    static const std::set<std::string> names = {
        "QueryInterface", "get_accChildCount", "get_accChild", "get_accRole", "get_accName",
        "get_accValue", "get_accKeyboardShortcut", "get_accState", "Next",
        "Skip", "Reset"};
    return names;
}

[[noreturn]] void bad(const std::string& path, const std::string& what) {
    throw std::runtime_error("tree node \"" + path + "\": " + what);
}

std::wstring fromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), length,
                                                                   nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, &wide[0], static_cast<int>(wide.size()));
    return wide;
}

// A text: a string (UTF-8), or an array of UTF-16 code units for texts no UTF-8 can carry (a
// lone surrogate); null or absent for none.
std::optional<std::wstring> textOf(const json& node, const char* key, const std::string& path) {
    auto it = node.find(key);
    if (it == node.end() || it->is_null()) return std::nullopt;
    if (it->is_string()) return fromUtf8(it->get<std::string>());
    if (!it->is_array()) bad(path, std::string(key) + " is neither text nor code units");
    std::wstring units;
    for (const json& unit : *it) units += static_cast<wchar_t>(unit.get<unsigned>());
    return units;
}

// The fields of `node` that are present, over `props`.
Props propsOf(const json& node, const std::string& path, Props props) {
    if (node.contains("role"))
        props.role = node["role"].is_null() ? std::nullopt
                                            : std::optional<LONG>(node["role"].get<LONG>());
    for (auto [key, field] : {std::pair{"name", &Props::name}, std::pair{"value", &Props::value},
                              std::pair{"shortcut", &Props::shortcut}})
        if (node.contains(key)) props.*field = textOf(node, key, path);
    if (node.contains("state")) props.state = node["state"].get<LONG>();
    return props;
}

Misbehaviour misbehaviourOf(const json& node, const std::string& path, const Props& props) {
    Misbehaviour result;
    auto it = node.find("misbehave");
    if (it == node.end()) return result;
    const json& misbehave = *it;
    auto method = [&](const std::string& name) {
        if (name != "*" && !methodNames().count(name)) bad(path, "no method " + name);
        return name;
    };
    if (misbehave.contains("delay"))
        for (auto& [name, ms] : misbehave["delay"].items())
            result.delays[method(name)] = ms.is_string() && ms == "quit" ? INFINITE : ms.get<DWORD>();
    if (misbehave.contains("fail"))
        for (const json& name : misbehave["fail"]) result.failing.insert(method(name));
    if (misbehave.contains("after")) {
        const json& after = misbehave["after"];
        result.afterCalls = after.at("calls").get<long>();
        result.after = propsOf(after, path, props);
    }
    return result;
}

// `text` with every "%n" replaced by `n`, through the whole subtree.
void number(json& node, int n) {
    for (const char* key : {"name", "value", "shortcut"}) {
        auto it = node.find(key);
        if (it == node.end() || !it->is_string()) continue;
        std::string text = *it;
        for (std::size_t at; (at = text.find("%n")) != std::string::npos;)
            text.replace(at, 2, std::to_string(n));
        *it = text;
    }
    if (node.contains("children"))
        for (json& child : node["children"]) number(child, n);
}

FILETIME lastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

json readJson(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    try {
        return json::parse(in);
    } catch (const json::exception& error) {
        throw std::runtime_error(path + ": " + error.what());
    }
}

// One load: the objects of the load before, those it keeps are taken out; the objects placed.
struct Load {
    Placed& before;
    CallCounts* counts;
    HANDLE quitting;
    Placed placed;
};

Node& build(Load& load, const json& node, const std::string& path) {
    if (!node.is_object()) bad(path, "not an object");
    const std::string key = node.value("object", std::string());
    Node* target = nullptr;
    auto old = load.before.find(path);
    if (old != load.before.end() && old->second.second == key) {
        target = &old->second.first->clearChildren();
        load.before.erase(old);
    } else {
        target = new Node(path.empty() ? "root" : path);
    }
    load.placed[path] = {target, key};
    Props props = propsOf(node, path, Props{std::nullopt, {}, {}, {}, {}, 0});
    target->props(props).misbehave(misbehaviourOf(node, path, props))
        .countInto(load.counts, path, load.quitting);
    int position = 0;
    for (const json& entry : node.value("children", json::array())) {
        for (int n = 1; n <= entry.value("repeat", 1); ++n) {
            const std::string childPath = (path.empty() ? "" : path + "/") + std::to_string(++position);
            if (entry.value("self", false)) {
                target->add(*target);
                continue;
            }
            json copy = entry;
            if (entry.contains("repeat")) number(copy, n);
            Node& child = build(load, copy, childPath);
            if (entry.value("simple", false))
                target->addSimple(&child);
            else if (entry.value("childId", false))
                target->addById(child);
            else
                target->add(child);
        }
    }
    if (node.contains("childCount")) target->reportChildCount(node["childCount"].get<LONG>());
    return *target;
}

}  // namespace

TreeFile::TreeFile(std::string path, CallCounts* counts, HANDLE quitting)
    : path_(std::move(path)), counts_(counts), quitting_(quitting) {
    reload();
}

bool TreeFile::changed() const {
    const FILETIME now = lastWrite(path_);
    return CompareFileTime(&written_, &now) != 0;
}

void TreeFile::reload() {
    const FILETIME written = lastWrite(path_);
    const json file = readJson(path_);
    try {
        if (file.value("format", 0) != 1) throw std::runtime_error("not a tree file of format 1");
        const json& window = file.at("window");
        Placed before = placed_;
        Load load{before, counts_, quitting_, {}};
        Node& root = build(load, file.at("root"), "");
        // Objects the new tree no longer holds answer as a destroyed element would.
        for (auto& [where, entry] : before) entry.first->gone();
        placed_ = std::move(load.placed);
        root_ = &root;
        window_.className = fromUtf8(window.value("class", std::string()));
        window_.title = fromUtf8(window.value("title", std::string()));
        window_.executable = window.value("executable", std::string());
        const json misbehave = file["root"].value("misbehave", json::object());
        stalls_ = misbehave.value("stall", false);
        forgesReply_ = misbehave.value("forgeReply", false);
        written_ = written;
    } catch (const json::exception& error) {
        throw std::runtime_error(path_ + ": " + error.what());
    }
}

}  // namespace msaa_test
