#include "capture/counted_accessible.h"

#include <atomic>

using lookout::com_ptr;

namespace {

class Counted : public IAccessible, public IEnumVARIANT {
public:
    Counted(com_ptr<IAccessible> inner, unsigned long* calls)
        : inner_(std::move(inner)), calls_(calls) {}
    virtual ~Counted() = default;

    // --- IUnknown ------------------------------------------------------------------------
    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *object = static_cast<IAccessible*>(this);
        } else if (iid == IID_IEnumVARIANT) {
            ++*calls_;
            if (!enumerator_ && FAILED(inner_.query(enumerator_))) return E_NOINTERFACE;
            *object = static_cast<IEnumVARIANT*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() noexcept override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // --- IDispatch -------------------------------------------------------------------------
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override {
        return count_(), inner_->GetTypeInfoCount(count);
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) noexcept override {
        return count_(), inner_->GetTypeInfo(index, locale, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) noexcept override {
        return count_(), inner_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argument) noexcept override {
        return count_(), inner_->Invoke(id, iid, locale, flags, params, result, exception, argument);
    }

    // --- IAccessible -----------------------------------------------------------------------
    STDMETHODIMP get_accParent(IDispatch** parent) noexcept override {
        return count_(), inner_->get_accParent(parent);
    }
    STDMETHODIMP get_accChildCount(LONG* count) noexcept override {
        return count_(), inner_->get_accChildCount(count);
    }
    STDMETHODIMP get_accChild(VARIANT id, IDispatch** child) noexcept override {
        count_();
        const HRESULT result = inner_->get_accChild(id, child);
        if (child && *child) wrap(*child);
        return result;
    }
    STDMETHODIMP get_accName(VARIANT id, BSTR* text) noexcept override {
        return count_(), inner_->get_accName(id, text);
    }
    STDMETHODIMP get_accValue(VARIANT id, BSTR* text) noexcept override {
        return count_(), inner_->get_accValue(id, text);
    }
    STDMETHODIMP get_accDescription(VARIANT id, BSTR* text) noexcept override {
        return count_(), inner_->get_accDescription(id, text);
    }
    STDMETHODIMP get_accRole(VARIANT id, VARIANT* role) noexcept override {
        return count_(), inner_->get_accRole(id, role);
    }
    STDMETHODIMP get_accState(VARIANT id, VARIANT* state) noexcept override {
        return count_(), inner_->get_accState(id, state);
    }
    STDMETHODIMP get_accHelp(VARIANT id, BSTR* text) noexcept override {
        return count_(), inner_->get_accHelp(id, text);
    }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) noexcept override {
        return count_(), inner_->get_accHelpTopic(file, id, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT id, BSTR* text) noexcept override {
        return count_(), inner_->get_accKeyboardShortcut(id, text);
    }
    STDMETHODIMP get_accFocus(VARIANT* id) noexcept override {
        return count_(), inner_->get_accFocus(id);
    }
    STDMETHODIMP get_accSelection(VARIANT* ids) noexcept override {
        return count_(), inner_->get_accSelection(ids);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT id, BSTR* text) noexcept override {
        return count_(), inner_->get_accDefaultAction(id, text);
    }
    STDMETHODIMP accSelect(LONG flags, VARIANT id) noexcept override {
        return count_(), inner_->accSelect(flags, id);
    }
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                             VARIANT id) noexcept override {
        return count_(), inner_->accLocation(left, top, width, height, id);
    }
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) noexcept override {
        return count_(), inner_->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* id) noexcept override {
        return count_(), inner_->accHitTest(x, y, id);
    }
    STDMETHODIMP accDoDefaultAction(VARIANT id) noexcept override {
        return count_(), inner_->accDoDefaultAction(id);
    }
    STDMETHODIMP put_accName(VARIANT id, BSTR text) noexcept override {
        return count_(), inner_->put_accName(id, text);
    }
    STDMETHODIMP put_accValue(VARIANT id, BSTR text) noexcept override {
        return count_(), inner_->put_accValue(id, text);
    }

    // --- IEnumVARIANT (only handed out once the object has one) ----------------------------
    STDMETHODIMP Next(ULONG wanted, VARIANT* elements, ULONG* fetched) noexcept override {
        count_();
        ULONG given = 0;
        const HRESULT result = enumerator_->Next(wanted, elements, &given);
        if (fetched) *fetched = given;
        if (elements && SUCCEEDED(result))
            for (ULONG i = 0; i < given && i < wanted; ++i)
                if (elements[i].vt == VT_DISPATCH && elements[i].pdispVal) wrap(elements[i].pdispVal);
        return result;
    }
    STDMETHODIMP Skip(ULONG count) noexcept override { return count_(), enumerator_->Skip(count); }
    STDMETHODIMP Reset() noexcept override { return count_(), enumerator_->Reset(); }
    STDMETHODIMP Clone(IEnumVARIANT** copy) noexcept override {
        if (copy) *copy = nullptr;
        count_();
        return E_NOTIMPL;
    }

private:
    void count_() noexcept { ++*calls_; }
    // Replaces `dispatch` (owned by the caller) by a counting wrapper of its IAccessible.
    void wrap(IDispatch*& dispatch) noexcept {
        com_ptr<IDispatch> given;
        given.attach(dispatch);
        com_ptr<IAccessible> accessible = given.query<IAccessible>();
        if (!accessible) {
            dispatch = given.detach();  // not an accessible object: handed on as it is
            return;
        }
        dispatch = static_cast<IAccessible*>(new Counted(std::move(accessible), calls_));
    }

    com_ptr<IAccessible> inner_;
    com_ptr<IEnumVARIANT> enumerator_;
    unsigned long* calls_;
    std::atomic<ULONG> references_{1};
};

}  // namespace

com_ptr<IAccessible> countedAccessible(const com_ptr<IAccessible>& object, unsigned long* calls) {
    com_ptr<IAccessible> wrapped;
    if (object) wrapped.attach(new Counted(object, calls));
    return wrapped;
}
