#pragma once

#include <atomic>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

// clang-format off
#include <windows.h>  // before <oleacc.h>, which takes its types
#include <oleacc.h>
// clang-format on

#include "app/win32/accessibility_library.h"

namespace catalog::win32_window {

inline bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// A text handed out as a BSTR, which the caller frees.
inline HRESULT answer(BSTR* out, std::wstring_view text) {
    if (out == nullptr) {
        return E_INVALIDARG;
    }
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// The system's own object for a control, through which every question goes but those a derived
// object answers itself; its window, as the system's tells, is the control. A screen reader may
// hold it after the control is gone: it then answers RPC_E_DISCONNECTED, as an object whose
// server went does, and asks the system's object nothing more.
class StandardAccessible : public IAccessible, public IOleWindow {
public:
    StandardAccessible(HWND control, IAccessible* standard)
        : m_control(control), m_standard(standard) {}
    StandardAccessible(const StandardAccessible&) = delete;
    StandardAccessible& operator=(const StandardAccessible&) = delete;

    STDMETHODIMP QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
        } else if (id == __uuidof(IOleWindow)) {
            *object = static_cast<IOleWindow*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_references; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    STDMETHODIMP GetWindow(HWND* window) override {
        if (window == nullptr) {
            return E_INVALIDARG;
        }
        *window = m_control;
        return alive() ? S_OK : RPC_E_DISCONNECTED;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        return forward(&IAccessible::GetTypeInfoCount, count);
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return forward(&IAccessible::GetTypeInfo, index, locale, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* members) override {
        return forward(&IAccessible::GetIDsOfNames, id, names, count, locale, members);
    }
    // Through the type information onto this object, so that a late-bound call hears the same
    // answers.
    STDMETHODIMP Invoke(DISPID member, REFIID, LCID locale, WORD flags, DISPPARAMS* parameters,
                        VARIANT* result, EXCEPINFO* exception, UINT* wrongArgument) override {
        ITypeInfo* info = nullptr;
        HRESULT outcome = GetTypeInfo(0, locale, &info);
        if (SUCCEEDED(outcome)) {
            outcome = info->Invoke(static_cast<IAccessible*>(this), member, flags, parameters,
                                   result, exception, wrongArgument);
            info->Release();
        }
        return outcome;
    }

    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        return forward(&IAccessible::get_accName, child, name);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        return forward(&IAccessible::get_accRole, child, role);
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        return forward(&IAccessible::get_accState, child, state);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return forward(&IAccessible::get_accDefaultAction, child, action);
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        return forward(&IAccessible::accDoDefaultAction, child);
    }
    STDMETHODIMP get_accParent(IDispatch** parent) override {
        return forward(&IAccessible::get_accParent, parent);
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        return forward(&IAccessible::get_accChildCount, count);
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        return forward(&IAccessible::get_accChild, child, object);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        return forward(&IAccessible::get_accValue, child, value);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override {
        return forward(&IAccessible::get_accDescription, child, description);
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override {
        return forward(&IAccessible::get_accHelp, child, help);
    }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return forward(&IAccessible::get_accHelpTopic, file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return forward(&IAccessible::get_accKeyboardShortcut, child, shortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* child) override {
        return forward(&IAccessible::get_accFocus, child);
    }
    STDMETHODIMP get_accSelection(VARIANT* children) override {
        return forward(&IAccessible::get_accSelection, children);
    }
    STDMETHODIMP accSelect(long how, VARIANT child) override {
        return forward(&IAccessible::accSelect, how, child);
    }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height,
                             VARIANT child) override {
        return forward(&IAccessible::accLocation, left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return forward(&IAccessible::accNavigate, direction, start, end);
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override {
        return forward(&IAccessible::accHitTest, x, y, child);
    }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override {
        return forward(&IAccessible::put_accName, child, name);
    }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override {
        return forward(&IAccessible::put_accValue, child, value);
    }

protected:
    virtual ~StandardAccessible() { m_standard->Release(); }

    HWND control() const { return m_control; }
    bool alive() const { return ::IsWindow(m_control) != FALSE; }
    // The control itself, while it lasts: answered by the derived object.
    bool mine(const VARIANT& child) const { return alive() && isSelf(child); }

    // A pointer left out is refused here: Wine's own object writes through it.
    template <typename Method, typename... Arguments>
    HRESULT forward(Method method, Arguments... arguments) const {
        if (!alive()) {
            return RPC_E_DISCONNECTED;
        }
        return (given(arguments) && ...) ? (m_standard->*method)(arguments...) : E_INVALIDARG;
    }

private:
    // A BSTR handed in may be null, an empty text.
    template <typename Argument>
    static bool given(Argument argument) {
        if constexpr (std::is_pointer_v<Argument> && !std::is_same_v<Argument, BSTR>) {
            return argument != nullptr;
        }
        return true;
    }

    HWND m_control;
    IAccessible* m_standard;  // owned
    std::atomic<ULONG> m_references{1};
};

// The answer to WM_GETOBJECT for `control`'s client area: an `Object` made over the system's own
// object, or 0 for the system to answer with its own alone.
template <typename Object, typename... Arguments>
LRESULT standardAccessibleResult(HWND control, WPARAM wParam, Arguments&&... arguments) {
    IAccessible* standard = nullptr;
    if (FAILED(createStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&standard)))) {
        return 0;
    }
    Object* object = nullptr;
    try {
        object = new Object(control, standard, std::forward<Arguments>(arguments)...);
    } catch (const std::bad_alloc&) {
        standard->Release();
        return 0;
    }
    const LRESULT result =
        lresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    object->Release();
    return result < 0 ? 0 : result;
}

}  // namespace catalog::win32_window
