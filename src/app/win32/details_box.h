#pragma once

#include <string>
#include <windows.h>

namespace catalog::win32_window {

// A row's details, modal to `owner`, titled `title`: `text` (its lines ending in CR LF) in a
// read-only box that a screen reader reads line by line, and Close. Ctrl+C copies the text
// selected, or the whole of it when none is; Esc and Enter close the box. False, with the
// system's error, when it could not be shown.
bool showDetailsBox(HWND owner, HINSTANCE instance, HFONT font, const std::wstring& title,
                    const std::wstring& text);

}  // namespace catalog::win32_window
