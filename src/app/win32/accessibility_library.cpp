#include "app/win32/accessibility_library.h"

namespace catalog::win32_window {

namespace {

struct AccessibilityCalls {
    decltype(&::CreateStdAccessibleObject) createStd = nullptr;
    decltype(&::LresultFromObject) lresult = nullptr;
};

// GetProcAddress gives every call as one type; through void (*)(), which any function type may
// be cast from, to the call's own.
template <typename Call>
Call callIn(HMODULE library, const char* name) {
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

// Loaded once and kept for the process's life, as an import would be.
const AccessibilityCalls& accessibilityCalls() {
    static const AccessibilityCalls calls = [] {
        AccessibilityCalls found;
        if (HMODULE library =
                ::LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            found.createStd =
                callIn<decltype(found.createStd)>(library, "CreateStdAccessibleObject");
            found.lresult = callIn<decltype(found.lresult)>(library, "LresultFromObject");
        }
        return found;
    }();
    return calls;
}

}  // namespace

HRESULT createStdAccessibleObject(HWND control, LONG objectId, REFIID interfaceId, void** object) {
    const auto call = accessibilityCalls().createStd;
    return call != nullptr ? call(control, objectId, interfaceId, object) : E_NOTIMPL;
}

LRESULT lresultFromObject(REFIID interfaceId, WPARAM wParam, IUnknown* object) {
    const auto call = accessibilityCalls().lresult;
    return call != nullptr ? call(interfaceId, wParam, object) : E_NOTIMPL;
}

}  // namespace catalog::win32_window
