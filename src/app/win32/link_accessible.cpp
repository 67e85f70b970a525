#include "app/win32/link_accessible.h"

#include <memory>
#include <string_view>
#include <utility>

// clang-format off
#include <windows.h>  // before the others, which take its types
#include <commctrl.h>
#include <oleacc.h>
// clang-format on

#include "app/win32/standard_accessible.h"

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

// The system's own object for the link, but for its name, role, state and default action.
class LinkAccessible final : public StandardAccessible {
public:
    LinkAccessible(HWND link, IAccessible* standard, std::wstring name)
        : StandardAccessible(link, standard), m_name(std::move(name)) {}

    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        return mine(child) ? answer(name, m_name) : StandardAccessible::get_accName(child, name);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!mine(child)) {
            return StandardAccessible::get_accRole(child, role);
        }
        if (role == nullptr) {
            return E_INVALIDARG;
        }
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT outcome = StandardAccessible::get_accState(child, state);
        if (SUCCEEDED(outcome) && isSelf(child) && state->vt == VT_I4) {
            state->lVal |= STATE_SYSTEM_LINKED;
        }
        return outcome;
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return mine(child) ? answer(action, kDefaultAction)
                           : StandardAccessible::get_accDefaultAction(child, action);
    }
    // Posted, not pressed here: Show pages opens a modal list, and the screen reader that asked
    // would wait for its answer until the list is closed.
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        if (!mine(child)) {
            return StandardAccessible::accDoDefaultAction(child);
        }
        if (!pressable(control())) {
            return E_FAIL;
        }
        return ::PostMessageW(control(), pressMessage(), 0, 0)
                   ? S_OK
                   : HRESULT_FROM_WIN32(::GetLastError());
    }

private:
    std::wstring m_name;
};

LRESULT CALLBACK linkProcedure(HWND link, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    const auto* name = reinterpret_cast<const std::wstring*>(data);
    // The object's id is a DWORD, sign-extended or not in a 64-bit lParam.
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        if (const LRESULT object = standardAccessibleResult<LinkAccessible>(link, wParam, *name)) {
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
