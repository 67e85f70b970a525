#pragma once

#include <optional>
#include <string>
#include <vector>

// clang-format off
#include <windows.h>  // before <oleacc.h>, which takes its types
#include <oleacc.h>
// clang-format on

namespace catalog::win32_window {

// What screen readers hear of a control where the system's own object would say less: a name
// or description the window text does not hold, and the parts a control draws itself (a
// header's columns), which Wine's object does not list. Nothing set keeps the system's answer.
struct AccessibleTexts {
    std::optional<std::wstring> name;
    std::optional<std::wstring> description;
    // Children 1, 2, ... of the control's object, where the system's object has none of them.
    std::vector<std::wstring> partNames;
    LONG partRole = ROLE_SYSTEM_COLUMNHEADER;
};

// The texts `control`'s object answers with, to be changed in place; made, and the control
// taken over for its WM_GETOBJECT, at the first call. They go with the control. Needs COM on
// the thread for the object to reach another program.
AccessibleTexts& accessibleTexts(HWND control);

// Sets the name, and tells screen readers that it changed; unchanged, it tells nothing.
void setAccessibleName(HWND control, const std::wstring& name);
void setAccessibleDescription(HWND control, const std::wstring& description);

}  // namespace catalog::win32_window
