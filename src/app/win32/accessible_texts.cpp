#include "app/win32/accessible_texts.h"

#include <memory>

// clang-format off
#include <windows.h>  // before the others, which take its types
#include <commctrl.h>
// clang-format on

#include "app/win32/standard_accessible.h"

namespace catalog::win32_window {

namespace {

constexpr UINT_PTR kSubclassId = 2;  // the links' is 1
constexpr wchar_t kTextsProperty[] = L"CatalogCollectorAccessibleTexts";

// The control's texts as they are now, or none once it is gone: a screen reader may ask long
// after the object was made.
const AccessibleTexts* textsOf(HWND control) {
    return static_cast<const AccessibleTexts*>(::GetPropW(control, kTextsProperty));
}

class TextsAccessible final : public StandardAccessible {
public:
    using StandardAccessible::StandardAccessible;

    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (const AccessibleTexts* texts = ownTexts(child); texts && texts->name) {
            return answer(name, *texts->name);
        }
        const HRESULT outcome = StandardAccessible::get_accName(child, name);
        if (const std::wstring* part = partName(child);
            part != nullptr && (outcome != S_OK || ::SysStringLen(*name) == 0)) {
            ::SysFreeString(outcome == S_OK ? *name : nullptr);
            return answer(name, *part);
        }
        return outcome;
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override {
        if (const AccessibleTexts* texts = ownTexts(child); texts && texts->description) {
            return answer(description, *texts->description);
        }
        return StandardAccessible::get_accDescription(child, description);
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        const HRESULT outcome = StandardAccessible::get_accChildCount(count);
        const AccessibleTexts* texts = textsOf(control());
        if (SUCCEEDED(outcome) && texts != nullptr &&
            *count < static_cast<long>(texts->partNames.size())) {
            *count = static_cast<long>(texts->partNames.size());
        }
        return outcome;
    }
    // A part is a simple element, answered by its parent.
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        const HRESULT outcome = StandardAccessible::get_accChild(child, object);
        if (FAILED(outcome) && object != nullptr && partName(child) != nullptr) {
            *object = nullptr;
            return S_FALSE;
        }
        return outcome;
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        return orPart(StandardAccessible::get_accRole(child, role), child, role,
                      [this] { return textsOf(control())->partRole; });
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        return orPart(StandardAccessible::get_accState(child, state), child, state,
                      [] { return long{STATE_SYSTEM_READONLY}; });
    }

private:
    // What the system could not answer for one of the parts: `value()`, a number.
    template <typename Value>
    HRESULT orPart(HRESULT outcome, const VARIANT& child, VARIANT* answer, Value value) const {
        if (FAILED(outcome) && answer != nullptr && partName(child) != nullptr) {
            answer->vt = VT_I4;
            answer->lVal = value();
            return S_OK;
        }
        return outcome;
    }
    const AccessibleTexts* ownTexts(const VARIANT& child) const {
        return mine(child) ? textsOf(control()) : nullptr;
    }
    const std::wstring* partName(const VARIANT& child) const {
        const AccessibleTexts* texts = alive() ? textsOf(control()) : nullptr;
        if (texts == nullptr || child.vt != VT_I4 || child.lVal < 1 ||
            static_cast<std::size_t>(child.lVal) > texts->partNames.size()) {
            return nullptr;
        }
        return &texts->partNames[static_cast<std::size_t>(child.lVal) - 1];
    }
};

LRESULT CALLBACK textsProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    // The object's id is a DWORD, sign-extended or not in a 64-bit lParam.
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        if (const LRESULT object = standardAccessibleResult<TextsAccessible>(control, wParam)) {
            return object;
        }
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(control, &textsProcedure, kSubclassId);
        delete static_cast<AccessibleTexts*>(::RemovePropW(control, kTextsProperty));
    }
    return ::DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

AccessibleTexts& accessibleTexts(HWND control) {
    if (auto* texts = static_cast<AccessibleTexts*>(::GetPropW(control, kTextsProperty))) {
        return *texts;
    }
    auto made = std::make_unique<AccessibleTexts>();
    if (::SetPropW(control, kTextsProperty, made.get()) &&
        ::SetWindowSubclass(control, &textsProcedure, kSubclassId, 0)) {
        return *made.release();  // deleted with the control
    }
    ::RemovePropW(control, kTextsProperty);
    // Without the object the texts are told to no one, and the control keeps the system's.
    static thread_local AccessibleTexts unheard;
    unheard = {};
    return unheard;
}

void setAccessibleName(HWND control, const std::wstring& name) {
    std::optional<std::wstring>& kept = accessibleTexts(control).name;
    if (kept != name) {
        kept = name;
        ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
    }
}

void setAccessibleDescription(HWND control, const std::wstring& description) {
    std::optional<std::wstring>& kept = accessibleTexts(control).description;
    if (kept != description) {
        kept = description;
        ::NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, control, OBJID_CLIENT, CHILDID_SELF);
    }
}

}  // namespace catalog::win32_window
