#pragma once
// A hand-written accessible object for tests: one IAccessible that is also its own IEnumVARIANT,
// as a browser's objects are. Its role, name, value and children are set by the test; every
// failure the walker must survive can be switched on. It counts its references (it is never
// deleted by Release, so a test can check the count after a walk) and, when given a call list,
// records the calls made on it as "<label>.<call>", with the child id in brackets for calls that
// address a child rather than the object itself.
// Used in-process by the unit tests and across processes by the test browser window, which can
// tell how many calls were made on its objects.

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <utility>
#include <vector>

namespace msaa_test {

class Node : public IAccessible, public IEnumVARIANT {
public:
    explicit Node(std::string label, std::vector<std::string>* calls = nullptr)
        : label_(std::move(label)), calls_(calls) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // --- set-up --------------------------------------------------------------------------
    Node& role(LONG value) { role_ = value; roleIsText_ = false; return *this; }
    Node& roleAsText(std::wstring text) { roleText_ = std::move(text); roleIsText_ = true; return *this; }
    Node& name(std::wstring text) { name_ = std::move(text); hasName_ = true; return *this; }
    Node& value(std::wstring text) { value_ = std::move(text); hasValue_ = true; return *this; }
    Node& shortcut(std::wstring text) { shortcut_ = std::move(text); hasShortcut_ = true; return *this; }
    Node& failRole() { roleFails_ = true; return *this; }
    Node& failName() { nameFails_ = true; return *this; }
    Node& failValue() { valueFails_ = true; return *this; }
    // The enumerator hands this child out as VT_DISPATCH.
    Node& add(Node& child) { children_.push_back({Kind::Dispatch, &child}); return *this; }
    // The enumerator hands out a child id; get_accChild turns it into this child.
    Node& addById(Node& child) { children_.push_back({Kind::Id, &child}); return *this; }
    // A child id without an object of its own (get_accChild gives S_FALSE and no object).
    Node& addSimple() { children_.push_back({Kind::Simple, nullptr}); return *this; }
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
        if (iid == IID_IEnumVARIANT) record("enum");
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
        if (FAILED(countFailure_)) return countFailure_;
        *count = hasReportedCount_ ? reportedCount_ : static_cast<LONG>(children_.size());
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT id, IDispatch** child) noexcept override {
        record("child(" + std::to_string(id.vt == VT_I4 ? id.lVal : -1) + ")");
        if (!child) return E_POINTER;
        *child = nullptr;
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
        return giveText("name", id, hasName_, nameFails_, name_, text);
    }
    STDMETHODIMP get_accValue(VARIANT id, BSTR* text) noexcept override {
        return giveText("value", id, hasValue_, valueFails_, value_, text);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT id, BSTR* text) noexcept override {
        return giveText("shortcut", id, hasShortcut_, false, shortcut_, text);
    }
    STDMETHODIMP get_accRole(VARIANT id, VARIANT* role) noexcept override {
        record("role" + childSuffix(id));
        if (!role) return E_POINTER;
        VariantInit(role);
        if (!addressesSelf(id)) return E_INVALIDARG;
        if (roleFails_) return E_FAIL;
        if (roleIsText_) {
            role->vt = VT_BSTR;
            role->bstrVal = SysAllocStringLen(roleText_.data(), static_cast<UINT>(roleText_.size()));
        } else {
            role->vt = VT_I4;
            role->lVal = role_;
        }
        return S_OK;
    }

    // --- IAccessible: not offered ---------------------------------------------------------
    STDMETHODIMP get_accParent(IDispatch** parent) noexcept override { return none(parent); }
    STDMETHODIMP get_accDescription(VARIANT, BSTR* text) noexcept override { return none(text); }
    STDMETHODIMP get_accState(VARIANT, VARIANT* state) noexcept override {
        if (state) VariantInit(state);
        return E_NOTIMPL;
    }
    STDMETHODIMP get_accHelp(VARIANT, BSTR* text) noexcept override { return none(text); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, LONG*) noexcept override { return none(file); }
    STDMETHODIMP get_accFocus(VARIANT* id) noexcept override {
        if (id) VariantInit(id);
        return E_NOTIMPL;
    }
    STDMETHODIMP get_accSelection(VARIANT* id) noexcept override {
        if (id) VariantInit(id);
        return E_NOTIMPL;
    }
    STDMETHODIMP get_accDefaultAction(VARIANT, BSTR* text) noexcept override { return none(text); }
    STDMETHODIMP accSelect(LONG, VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP accLocation(LONG*, LONG*, LONG*, LONG*, VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP accNavigate(LONG, VARIANT, VARIANT* end) noexcept override {
        if (end) VariantInit(end);
        return E_NOTIMPL;
    }
    STDMETHODIMP accHitTest(LONG, LONG, VARIANT* id) noexcept override {
        if (id) VariantInit(id);
        return E_NOTIMPL;
    }
    STDMETHODIMP accDoDefaultAction(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_accName(VARIANT, BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) noexcept override { return E_NOTIMPL; }

    // --- IEnumVARIANT ---------------------------------------------------------------------
    STDMETHODIMP Next(ULONG wanted, VARIANT* elements, ULONG* fetched) noexcept override {
        record("next");
        if (fetched) *fetched = 0;
        if (!elements) return E_POINTER;
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
        cursor_ += count;
        return cursor_ <= children_.size() ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() noexcept override {
        record("reset");
        cursor_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumVARIANT** copy) noexcept override { return none(copy); }

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
    static HRESULT none(T** out) {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT giveText(const char* call, const VARIANT& id, bool present, bool fails,
                     const std::wstring& text, BSTR* out) noexcept {
        record(call + childSuffix(id));
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!addressesSelf(id)) return E_INVALIDARG;
        if (fails) return E_FAIL;
        if (!present) return S_FALSE;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return S_OK;
    }
    void record(const std::string& call) noexcept {
        if (calls_) calls_->push_back(label_ + "." + call);
    }

    std::string label_;
    std::vector<std::string>* calls_;
    long references_ = 1;  // the creator's
    LONG role_ = 0;
    bool roleIsText_ = false;
    std::wstring roleText_;
    std::wstring name_, value_, shortcut_;
    bool hasName_ = false, hasValue_ = false, hasShortcut_ = false;
    bool roleFails_ = false, nameFails_ = false, valueFails_ = false;
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
