#pragma once
// A hand-written accessible object for tests: one IAccessible that is also its own IEnumVARIANT,
// as a browser's objects are. Its role, name, value and children are set by the test; every
// failure the walker must survive can be switched on. It counts its references (it is never
// deleted by Release, so a test can check the count after a walk) and, when given a call list,
// records the calls made on it as "<label>.<call>", with the child id in brackets for calls that
// address a child rather than the object itself.
// Used in-process by the unit tests and across processes by the tree player, which loads its
// objects from a tree file (tree_file.h), counts the calls per object and per method, and can make
// an object misbehave: answer late, fail a method, change its texts after some calls.

#include <windows.h>
#include <oleacc.h>
#include <servprov.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace msaa_test {

// The calls made on a tree: per object (its path of child positions, "" for the root) and
// method (the IAccessible or IEnumVARIANT method's name).
struct CallCounts {
    long total = 0;
    std::map<std::string, std::map<std::string, long>> objects;
};

// What an object answers about itself.
struct Props {
    std::optional<LONG> role = 0;  // none: get_accRole fails
    std::optional<std::wstring> roleText;  // a role given as a string instead of a number
    std::optional<std::wstring> name, value, shortcut;  // none: S_FALSE and no string
    std::optional<LONG> state;  // none: not offered
};

// How an object misbehaves.
struct Misbehaviour {
    // Milliseconds before a method answers, by method name or "*" for every method;
    // INFINITE waits until the process is told to quit.
    std::map<std::string, DWORD> delays;
    std::set<std::string> failing;  // methods that answer E_FAIL
    long afterCalls = 0;  // from this call on the object (1 for the first) on, `after` answers
    Props after;
};

class Node : public IAccessible, public IEnumVARIANT {
public:
    explicit Node(std::string label, std::vector<std::string>* calls = nullptr)
        : label_(std::move(label)), calls_(calls) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // --- set-up --------------------------------------------------------------------------
    Node& role(LONG value) { props_.role = value; props_.roleText.reset(); return *this; }
    Node& roleAsText(std::wstring text) { props_.roleText = std::move(text); return *this; }
    Node& name(std::wstring text) { props_.name = std::move(text); return *this; }
    Node& value(std::wstring text) { props_.value = std::move(text); return *this; }
    Node& shortcut(std::wstring text) { props_.shortcut = std::move(text); return *this; }
    Node& failRole() { return fail("get_accRole"); }
    Node& failName() { return fail("get_accName"); }
    Node& failValue() { return fail("get_accValue"); }
    Node& fail(const std::string& method) { misbehaviour_.failing.insert(method); return *this; }
    // Everything at once, as a tree file gives it; the children stay.
    Node& props(Props props) { props_ = std::move(props); return *this; }
    Node& misbehave(Misbehaviour misbehaviour) { misbehaviour_ = std::move(misbehaviour); return *this; }
    // Counts its calls into `counts` under `path`. `quitting`, when set, ends waits of INFINITE.
    Node& countInto(CallCounts* counts, std::string path, HANDLE quitting = nullptr) {
        counts_ = counts;
        path_ = std::move(path);
        quitting_ = quitting;
        return *this;
    }
    // An object whose element is gone (a replaced element): every call fails.
    Node& gone() { gone_ = true; return *this; }
    Node& clearChildren() { children_.clear(); cursor_ = 0; return *this; }
    // The enumerator hands this child out as VT_DISPATCH.
    Node& add(Node& child) { children_.push_back({Kind::Dispatch, &child}); return *this; }
    // The enumerator hands out a child id; get_accChild turns it into this child.
    Node& addById(Node& child) { children_.push_back({Kind::Id, &child}); return *this; }
    // A child id without an object of its own (get_accChild gives S_FALSE and no object). With
    // `data`, this object answers for it what `data` answers about itself.
    Node& addSimple(Node* data = nullptr) { children_.push_back({Kind::Simple, data}); return *this; }
    // An element of a tag the walker does not take (a string).
    Node& addOtherTag() { children_.push_back({Kind::OtherTag, nullptr}); return *this; }
    Node& noEnumerator() { enumerable_ = false; return *this; }
    // Offered as VT_DISPATCH or through get_accChild, but answers no IAccessible query.
    Node& dispatchOnly() { accessible_ = false; return *this; }
    Node& reportChildCount(LONG count) { reportedCount_ = count; hasReportedCount_ = true; return *this; }
    Node& failChildCount(HRESULT code) { countFailure_ = code; return *this; }
    // Next fails at that position (1 for the first element).
    Node& failNextAt(int position, HRESULT code = E_FAIL) { failNextAt_ = position; nextFailure_ = code; return *this; }

    LONG references() const { return references_; }
    const std::string& label() const { return label_; }

    // --- IUnknown ------------------------------------------------------------------------
    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || ((iid == IID_IDispatch || iid == IID_IAccessible) && accessible_))
            *object = static_cast<IAccessible*>(this);
        else if (iid == IID_IDispatch)
            *object = static_cast<IDispatch*>(this);
        else if (iid == IID_IEnumVARIANT && enumerable_)
            *object = static_cast<IEnumVARIANT*>(this);
        // The way to IAccessible2 and the like, which make a browser serve every page's tree.
        if (iid == __uuidof(IServiceProvider)) enter("QueryInterface(IServiceProvider)");
        if (iid == IID_IEnumVARIANT) {
            record("enum");
            // Only this query is a call on the tree; the others are the system's own.
            if (HRESULT failure = enter("QueryInterface")) {
                *object = nullptr;
                return failure;
            }
        }
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() noexcept override { return static_cast<ULONG>(--references_); }

    // --- IDispatch: not offered ------------------------------------------------------------
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override {
        if (count) *count = 0;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) noexcept override {
        return E_NOTIMPL;
    }

    // --- IAccessible: what the walker uses -------------------------------------------------
    STDMETHODIMP get_accChildCount(LONG* count) noexcept override {
        record("count");
        if (!count) return E_POINTER;
        *count = 0;
        if (HRESULT failure = enter("get_accChildCount")) return failure;
        if (FAILED(countFailure_)) return countFailure_;
        *count = hasReportedCount_ ? reportedCount_ : static_cast<LONG>(children_.size());
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT id, IDispatch** child) noexcept override {
        record("child(" + std::to_string(id.vt == VT_I4 ? id.lVal : -1) + ")");
        if (!child) return E_POINTER;
        *child = nullptr;
        if (HRESULT failure = enter("get_accChild")) return failure;
        if (id.vt != VT_I4 || id.lVal < 1 || static_cast<std::size_t>(id.lVal) > children_.size())
            return E_INVALIDARG;
        const Child& entry = children_[static_cast<std::size_t>(id.lVal) - 1];
        if (entry.kind == Kind::Simple) return S_FALSE;
        if (!entry.node) return E_INVALIDARG;
        *child = entry.node->asDispatch();
        (*child)->AddRef();
        return S_OK;
    }
    STDMETHODIMP get_accName(VARIANT id, BSTR* text) noexcept override {
        return giveText("name", "get_accName", &Props::name, id, text);
    }
    STDMETHODIMP get_accValue(VARIANT id, BSTR* text) noexcept override {
        return giveText("value", "get_accValue", &Props::value, id, text);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT id, BSTR* text) noexcept override {
        return giveText("shortcut", "get_accKeyboardShortcut", &Props::shortcut, id, text);
    }
    STDMETHODIMP get_accRole(VARIANT id, VARIANT* role) noexcept override {
        record("role" + childSuffix(id));
        if (!role) return E_POINTER;
        VariantInit(role);
        Node* self = answering(id);
        if (!self) return E_INVALIDARG;
        if (HRESULT failure = enter("get_accRole")) return failure;
        const Props& props = self->current();
        if (props.roleText) {
            role->vt = VT_BSTR;
            role->bstrVal = SysAllocStringLen(props.roleText->data(),
                                              static_cast<UINT>(props.roleText->size()));
            return S_OK;
        }
        if (!props.role) return E_FAIL;
        role->vt = VT_I4;
        role->lVal = *props.role;
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT id, VARIANT* state) noexcept override {
        if (!state) return E_POINTER;
        VariantInit(state);
        Node* self = answering(id);
        if (!self) return E_INVALIDARG;
        if (HRESULT failure = enter("get_accState")) return failure;
        const Props& props = self->current();
        if (!props.state) return E_NOTIMPL;
        state->vt = VT_I4;
        state->lVal = *props.state;
        return S_OK;
    }

    // --- IAccessible: not offered, but counted: a test sees any call made on them -----------
    STDMETHODIMP get_accParent(IDispatch** out) noexcept override { return none("get_accParent", out); }
    STDMETHODIMP get_accDescription(VARIANT, BSTR* out) noexcept override { return none("get_accDescription", out); }
    STDMETHODIMP get_accHelp(VARIANT, BSTR* out) noexcept override { return none("get_accHelp", out); }
    STDMETHODIMP get_accHelpTopic(BSTR* out, VARIANT, LONG*) noexcept override { return none("get_accHelpTopic", out); }
    STDMETHODIMP get_accFocus(VARIANT* id) noexcept override { return refuse("get_accFocus", id); }
    STDMETHODIMP get_accSelection(VARIANT* id) noexcept override { return refuse("get_accSelection", id); }
    STDMETHODIMP get_accDefaultAction(VARIANT, BSTR* out) noexcept override { return none("get_accDefaultAction", out); }
    STDMETHODIMP accSelect(LONG, VARIANT) noexcept override { return refuse("accSelect"); }
    STDMETHODIMP accLocation(LONG*, LONG*, LONG*, LONG*, VARIANT) noexcept override { return refuse("accLocation"); }
    STDMETHODIMP accNavigate(LONG, VARIANT, VARIANT* end) noexcept override { return refuse("accNavigate", end); }
    STDMETHODIMP accHitTest(LONG, LONG, VARIANT* id) noexcept override { return refuse("accHitTest", id); }
    STDMETHODIMP accDoDefaultAction(VARIANT) noexcept override { return refuse("accDoDefaultAction"); }
    STDMETHODIMP put_accName(VARIANT, BSTR) noexcept override { return refuse("put_accName"); }
    STDMETHODIMP put_accValue(VARIANT, BSTR) noexcept override { return refuse("put_accValue"); }

    // --- IEnumVARIANT ---------------------------------------------------------------------
    STDMETHODIMP Next(ULONG wanted, VARIANT* elements, ULONG* fetched) noexcept override {
        record("next");
        if (fetched) *fetched = 0;
        if (!elements) return E_POINTER;
        if (HRESULT failure = enter("Next")) return failure;
        ULONG given = 0;
        for (; given < wanted; ++given) {
            ++nextCalls_;
            if (nextCalls_ == failNextAt_) return nextFailure_;
            if (cursor_ >= children_.size()) break;
            VariantInit(&elements[given]);
            const Child& entry = children_[cursor_++];
            switch (entry.kind) {
                case Kind::Dispatch:
                    elements[given].vt = VT_DISPATCH;
                    elements[given].pdispVal = entry.node->asDispatch();
                    entry.node->AddRef();
                    break;
                case Kind::Id:
                case Kind::Simple:
                    elements[given].vt = VT_I4;
                    elements[given].lVal = static_cast<LONG>(cursor_);  // ids count from 1
                    break;
                case Kind::OtherTag:
                    elements[given].vt = VT_BSTR;
                    elements[given].bstrVal = SysAllocString(L"not an element");
                    break;
            }
        }
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) noexcept override {
        record("skip");
        if (HRESULT failure = enter("Skip")) return failure;
        cursor_ += count;
        return cursor_ <= children_.size() ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() noexcept override {
        record("reset");
        if (HRESULT failure = enter("Reset")) return failure;
        cursor_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumVARIANT** copy) noexcept override { return none("Clone", copy); }

private:
    enum class Kind { Dispatch, Id, Simple, OtherTag };
    struct Child {
        Kind kind;
        Node* node;
    };

    IDispatch* asDispatch() {
        return accessible_ ? static_cast<IDispatch*>(static_cast<IAccessible*>(this))
                           : static_cast<IDispatch*>(this);
    }
    static bool addressesSelf(const VARIANT& id) { return id.vt == VT_I4 && id.lVal == CHILDID_SELF; }
    static std::string childSuffix(const VARIANT& id) {
        if (addressesSelf(id)) return "";
        return "(" + std::to_string(id.vt == VT_I4 ? id.lVal : -1) + ")";
    }
    template <typename T>
    HRESULT none(const char* method, T** out) noexcept {
        if (out) *out = nullptr;
        return refuse(method);
    }
    HRESULT refuse(const char* method, VARIANT* out = nullptr) noexcept {
        if (out) VariantInit(out);
        enter(method);
        return E_NOTIMPL;
    }
    HRESULT giveText(const char* call, const char* method,
                     std::optional<std::wstring> Props::*field, const VARIANT& id,
                     BSTR* out) noexcept {
        record(call + childSuffix(id));
        if (!out) return E_POINTER;
        *out = nullptr;
        Node* self = answering(id);
        if (!self) return E_INVALIDARG;
        if (HRESULT failure = enter(method)) return failure;
        const std::optional<std::wstring>& text = self->current().*field;
        if (!text) return S_FALSE;
        *out = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
        return S_OK;
    }
    void record(const std::string& call) noexcept {
        if (calls_) calls_->push_back(label_ + "." + call);
    }
    // The node that answers for `id`: this one for CHILDID_SELF, the data of a simple child for
    // its child id, else none.
    Node* answering(const VARIANT& id) {
        if (addressesSelf(id)) return this;
        if (id.vt != VT_I4 || id.lVal < 1 || static_cast<std::size_t>(id.lVal) > children_.size())
            return nullptr;
        const Child& entry = children_[static_cast<std::size_t>(id.lVal) - 1];
        return entry.kind == Kind::Simple ? entry.node : nullptr;
    }
    // What the object answers now: its texts after `afterCalls` calls, if it changes them.
    const Props& current() const {
        const long after = misbehaviour_.afterCalls;
        return after > 0 && ownCalls_ >= after ? misbehaviour_.after : props_;
    }
    // Counts a call of `method` and lets it misbehave: S_OK to answer it, else the failure to
    // answer instead.
    HRESULT enter(const char* method) noexcept {
        ++ownCalls_;
        if (counts_) {
            ++counts_->total;
            ++counts_->objects[path_][method];
        }
        auto delay = misbehaviour_.delays.find(method);
        if (delay == misbehaviour_.delays.end()) delay = misbehaviour_.delays.find("*");
        if (delay != misbehaviour_.delays.end()) {
            if (delay->second == INFINITE && quitting_)
                WaitForSingleObject(quitting_, INFINITE);
            else if (delay->second != INFINITE)
                Sleep(delay->second);
        }
        if (gone_ || misbehaviour_.failing.count(method)) return E_FAIL;
        return S_OK;
    }

    std::string label_;
    std::vector<std::string>* calls_;
    long references_ = 1;  // the creator's
    Props props_;
    Misbehaviour misbehaviour_;
    CallCounts* counts_ = nullptr;
    std::string path_;
    HANDLE quitting_ = nullptr;
    long ownCalls_ = 0;
    bool gone_ = false;
    std::vector<Child> children_;
    std::size_t cursor_ = 0;
    bool enumerable_ = true;
    bool accessible_ = true;
    LONG reportedCount_ = 0;
    bool hasReportedCount_ = false;
    HRESULT countFailure_ = S_OK;
    int nextCalls_ = 0;
    int failNextAt_ = 0;
    HRESULT nextFailure_ = E_FAIL;
};

}  // namespace msaa_test
