#pragma once

#include <climits>
#include <cstddef>
#include <string>

// clang-format off
#include <windows.h>  // before <commctrl.h>, which takes its types
#include <commctrl.h>
// clang-format on

#include "window/form1_layout.h"

namespace catalog::win32_window {

// A visible child control of `parent`, numbered `id`, of the parent's module.
HWND createChild(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style,
                 int id, DWORD extendedStyle = 0);

// The text `control` shows.
std::wstring windowText(HWND control);

// Runs a modal dialog of `style` over `owner` whose controls `procedure` makes in code, in the
// window's font, as the window's are; `parameter` comes with WM_INITDIALOG. False when it could
// not be shown.
bool runDialog(HINSTANCE instance, DWORD style, HWND owner, DLGPROC procedure, LPARAM parameter);

// Gives `dialog` its first size, `frame` with its frame, centred on its owner.
void centreOnOwner(HWND dialog, POINT frame);

// The size of `window`'s client area.
window::Size clientSize(HWND window);

// The dots per inch of the monitor `window` is on; the base ones where the system cannot tell.
int dpiOf(HWND window);

// The size of a window of these styles, frame included, for a client area of `client` at `dpi`.
POINT frameSize(const window::Size& client, DWORD style, DWORD extendedStyle, int dpi);

// A list view counts its items in an int.
inline int clampedToInt(std::size_t count) {
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

// A notification as the structure it starts, which the control hands over writable.
template <typename Notification>
Notification& notification(const NMHDR& header) {
    return *reinterpret_cast<Notification*>(const_cast<NMHDR*>(&header));
}

// A report-mode `list` entered without a current item starts at its first, which a screen
// reader then reads: the first Down goes to the second.
void focusFirstItem(HWND list);

// Shows the popup `menu` for `owner`, on the report-mode `list`, at `at` as WM_CONTEXTMENU gives
// it, until the user chooses or leaves it, then destroys it: the command chosen, or 0. A menu
// opened by a key (Shift+F10, the menu key: -1, -1) goes below the list's focused item when the
// list shows it, else at its corner, and has its first item active, as Windows' own do, so that
// Enter chooses it and the screen reader reads it.
UINT showContextMenu(HMENU menu, HWND owner, HWND list, LPARAM at);

// Copies `text` into a buffer a list view gives, cut to fit, never through the middle of a
// surrogate pair.
void copyInto(const std::wstring& text, wchar_t* buffer, int capacity);

}  // namespace catalog::win32_window
