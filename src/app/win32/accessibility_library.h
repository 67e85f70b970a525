#pragma once

// clang-format off
#include <windows.h>  // before <oleacc.h>, which takes its types
#include <oleacc.h>
// clang-format on

namespace catalog::win32_window {

// oleacc.dll's calls the window makes, taken from the system's folder when a screen reader first
// asks. oleacc is no known DLL: imported, it would be looked for beside the program first, where
// a file of that name in the downloads folder would be loaded into the window. Without the
// library both fail, and the controls answer with the system's own objects alone.
HRESULT createStdAccessibleObject(HWND control, LONG objectId, REFIID interfaceId, void** object);
LRESULT lresultFromObject(REFIID interfaceId, WPARAM wParam, IUnknown* object);

}  // namespace catalog::win32_window
