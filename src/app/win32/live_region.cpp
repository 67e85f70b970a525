#include "app/win32/live_region.h"

#include <oleacc.h>

namespace catalog::win32_window {

namespace {

// Declared by no header of MinGW's (the library's CLSID_AccPropServices would be an import
// thunk): UI Automation's LiveSetting property, and the object that annotates.
constexpr GUID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr CLSID kAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr LONG kPolite = 1;  // UI Automation's LiveSetting: Off 0, Polite 1, Assertive 2

template <typename Annotate>
void withPropServices(Annotate annotate) {
    IAccPropServices* services = nullptr;
    if (SUCCEEDED(::CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                     kIAccPropServices, reinterpret_cast<void**>(&services)))) {
        annotate(*services);
        services->Release();
    }
}

}  // namespace

void markPoliteLiveRegion(HWND control) {
    withPropServices([control](IAccPropServices& services) {
        VARIANT polite{};
        polite.vt = VT_I4;
        polite.lVal = kPolite;
        services.SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                             kLiveSettingProperty, polite);
    });
}

void unmarkLiveRegion(HWND control) {
    withPropServices([control](IAccPropServices& services) {
        services.ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                &kLiveSettingProperty, 1);
    });
}

void announceLiveRegion(HWND control) {
    ::NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, control, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace catalog::win32_window
