#include "app/win32/link_accessible.h"

#include <atomic>
#include <memory>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

// clang-format off
#include <windows.h>  // before the others, which take its types
#include <commctrl.h>
#include <oleacc.h>
// clang-format on

namespace catalog::win32_window {

namespace {

constexpr UINT_PTR kSubclassId = 1;
// What links in web pages answer, in the browsers and in Windows' own HTML control: a screen
// reader that tells the action hears what it hears on any link. "Press" is a button's.
constexpr std::wstring_view kDefaultAction = L"Jump";

// Posted by the accessible object, which a screen reader may hold after the link is gone: a
// message registered under the program's own name means nothing to any other window that may
// have the link's handle by then.
UINT pressMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"CatalogCollectorPressLink");
    return message;
}

// As the keyboard and the mouse can: the link is shown, and no message box or list open over
// its window has disabled it.
bool pressable(HWND link) {
    return ::IsWindowVisible(link) && ::IsWindowEnabled(link) &&
           ::IsWindowEnabled(::GetAncestor(link, GA_ROOT));
}

// As a click does: the window presses the link on its NM_CLICK.
void press(HWND link) {
    NMLINK notice{};
    notice.hdr.hwndFrom = link;
    notice.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(link));
    notice.hdr.code = static_cast<UINT>(NM_CLICK);
    ::SendMessageW(::GetParent(link), WM_NOTIFY, notice.hdr.idFrom,
                   reinterpret_cast<LPARAM>(&notice));
}

// A BSTR handed in may be null, an empty text.
template <typename Argument>
bool given(Argument argument) {
    if constexpr (std::is_pointer_v<Argument> && !std::is_same_v<Argument, BSTR>) {
        return argument != nullptr;
    }
    return true;
}

bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT answer(BSTR* out, std::wstring_view text) {
    if (out == nullptr) {
        return E_INVALIDARG;
    }
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// The system's own object for the link, but for its name, role, state and default action; its
// window, as the system's tells, is the link. A screen reader may hold it after the link is
// gone: it then answers RPC_E_DISCONNECTED, as an object whose server went does, and asks the
// system's object nothing more.
class LinkAccessible final : public IAccessible, public IOleWindow {
public:
    LinkAccessible(HWND link, IAccessible* standard, std::wstring name)
        : m_link(link), m_standard(standard), m_name(std::move(name)) {}
    LinkAccessible(const LinkAccessible&) = delete;
    LinkAccessible& operator=(const LinkAccessible&) = delete;

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
        *window = m_link;
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
        return mine(child) ? answer(name, m_name) : forward(&IAccessible::get_accName, child, name);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!mine(child)) {
            return forward(&IAccessible::get_accRole, child, role);
        }
        if (role == nullptr) {
            return E_INVALIDARG;
        }
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT outcome = forward(&IAccessible::get_accState, child, state);
        if (SUCCEEDED(outcome) && isSelf(child) && state->vt == VT_I4) {
            state->lVal |= STATE_SYSTEM_LINKED;
        }
        return outcome;
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return mine(child) ? answer(action, kDefaultAction)
                           : forward(&IAccessible::get_accDefaultAction, child, action);
    }
    // Posted, not pressed here: Show pages opens a modal list, and the screen reader that asked
    // would wait for its answer until the list is closed.
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        if (!mine(child)) {
            return forward(&IAccessible::accDoDefaultAction, child);
        }
        if (!pressable(m_link)) {
            return E_FAIL;
        }
        return ::PostMessageW(m_link, pressMessage(), 0, 0) ? S_OK
                                                            : HRESULT_FROM_WIN32(::GetLastError());
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

private:
    ~LinkAccessible() { m_standard->Release(); }

    bool alive() const { return ::IsWindow(m_link) != FALSE; }
    // The link itself, while it lasts: answered here.
    bool mine(const VARIANT& child) const { return alive() && isSelf(child); }

    // A pointer left out is refused here: Wine's own object writes through it.
    template <typename Method, typename... Arguments>
    HRESULT forward(Method method, Arguments... arguments) const {
        if (!alive()) {
            return RPC_E_DISCONNECTED;
        }
        return (given(arguments) && ...) ? (m_standard->*method)(arguments...) : E_INVALIDARG;
    }

    HWND m_link;
    IAccessible* m_standard;  // owned
    std::wstring m_name;
    std::atomic<ULONG> m_references{1};
};

// The object for WM_GETOBJECT, or 0 for the system to answer with its own.
LRESULT accessibleObject(HWND link, const std::wstring& name, WPARAM wParam) {
    IAccessible* standard = nullptr;
    if (FAILED(::CreateStdAccessibleObject(link, OBJID_CLIENT, __uuidof(IAccessible),
                                           reinterpret_cast<void**>(&standard)))) {
        return 0;
    }
    LinkAccessible* object = nullptr;
    try {
        object = new LinkAccessible(link, standard, name);
    } catch (const std::bad_alloc&) {
        standard->Release();
        return 0;
    }
    const LRESULT result =
        ::LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    object->Release();
    return result < 0 ? 0 : result;
}

LRESULT CALLBACK linkProcedure(HWND link, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    const auto* name = reinterpret_cast<const std::wstring*>(data);
    // The object's id is a DWORD, sign-extended or not in a 64-bit lParam.
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        if (const LRESULT object = accessibleObject(link, *name, wParam)) {
            return object;
        }
    } else if (message == pressMessage() && message != 0) {
        if (pressable(link)) {
            press(link);
        }
        return 0;
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(link, &linkProcedure, kSubclassId);
        delete name;
    }
    return ::DefSubclassProc(link, message, wParam, lParam);
}

}  // namespace

void makeLinkAccessible(HWND link, std::wstring name) {
    auto kept = std::make_unique<std::wstring>(std::move(name));
    if (::SetWindowSubclass(link, &linkProcedure, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(kept.get()))) {
        kept.release();  // deleted with the control
    }
}

}  // namespace catalog::win32_window
