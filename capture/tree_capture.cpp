#include "capture/tree_capture.h"

#include <optional>

#include "browser/msaa_answers.h"
#include "browser/msaa_calls.h"
#include "browser/msaa_tree.h"
#include "browser/walk_bounds.h"
#include "capture/redact.h"
#include "util/com_values.h"
#include "util/utf8.h"

using lookout::com_ptr;
using lookout::unique_variant;
using nlohmann::ordered_json;

namespace {

constexpr LONG kRoleDocument = 0x0F;

class Capturer {
public:
    Capturer(const unsigned long& calls, const CaptureOptions& options)
        : calls_(calls), options_(options), start_(GetTickCount64()) {}

    // Whether the capture may go on; names the bound that ends it otherwise.
    bool allowed(int depth) {
        if (!result.bound.empty()) return false;
        if (calls_ >= WalkBounds::kMaxCalls)
            result.bound = "calls (" + std::to_string(WalkBounds::kMaxCalls) + ")";
        else if (GetTickCount64() - start_ >= WalkBounds::kMaxMs)
            result.bound = "time (" + std::to_string(WalkBounds::kMaxMs) + " ms)";
        else if (depth > kMaxWalkDepth)
            result.bound = "depth (" + std::to_string(kMaxWalkDepth) + " levels)";
        return result.bound.empty();
    }

    // The answers of `object` about `child` (itself, or a simple element's child id).
    ordered_json answers(IAccessible* object, const VARIANT& child) {
        ++result.objects;
        ordered_json node;
        const std::optional<LONG> role = accRole(object, child);
        node["role"] = role ? ordered_json(*role) : ordered_json(nullptr);
        node["name"] = text(accName(object, child), options_.redact);
        node["value"] = text(accValue(object, child), options_.redact);
        node["shortcut"] = text(accShortcut(object, child), false);
        node["state"] = accState(object, child).value_or(0);
        if (std::optional<RECT> box = accLocation(object, child))
            node["location"] = {box->left, box->top, box->right, box->bottom};
        return node;
    }

    ordered_json object(const com_ptr<IAccessible>& object, int depth) {
        const unique_variant self = unique_variant::fromLong(CHILDID_SELF);
        ordered_json node = answers(object.get(), self);
        const std::optional<LONG> count = accChildCount(object.get());
        node["childCount"] = count ? ordered_json(*count) : ordered_json(nullptr);
        if (!count || *count <= 0) return node;
        if (node["role"] == kRoleDocument && !options_.documents) {
            ++result.documentsSkipped;
            return node;
        }
        if (!allowed(depth + 1)) return node;
        com_ptr<IEnumVARIANT> enumerator;
        if (FAILED(object.query(enumerator))) return node;  // not entered, as by Lookout's walks
        enumerator->Reset();
        ordered_json children = ordered_json::array();
        for (LONG position = 1; position <= *count && allowed(depth + 1); ++position) {
            unique_variant element;
            ULONG fetched = 0;
            if (enumerator->Next(1, element.put(), &fetched) != S_OK || fetched != 1) break;
            if (element.vt != VT_I4 && element.vt != VT_DISPATCH) continue;  // not an element
            com_ptr<IAccessible> child = childObjectOf(object, element);
            if (child) {
                ordered_json entry = this->object(child, depth + 1);
                if (element.vt == VT_I4) entry["childId"] = true;
                children.push_back(std::move(entry));
            } else if (element.vt == VT_I4) {
                ordered_json entry = answers(object.get(), element);
                entry["simple"] = true;
                children.push_back(std::move(entry));
            }
        }
        node["children"] = std::move(children);
        return node;
    }

    Capture result;

private:
    static ordered_json text(const std::optional<std::wstring>& answer, bool redact) {
        if (!answer) return nullptr;
        return fileText(redact ? redactText(*answer) : *answer);
    }

    const unsigned long& calls_;
    const CaptureOptions& options_;
    ULONGLONG start_;
};

}  // namespace

std::string fileText(const std::wstring& text) {
    return lookout::utf8FromUtf16(text.data(), text.size());
}

Capture captureTree(IAccessible* root, const unsigned long& calls, const CaptureOptions& options) {
    Capturer capturer(calls, options);
    com_ptr<IAccessible> object;
    root->AddRef();
    object.attach(root);
    const unsigned long before = calls;
    capturer.result.root = capturer.object(object, 0);
    capturer.result.calls = calls - before;
    return std::move(capturer.result);
}
