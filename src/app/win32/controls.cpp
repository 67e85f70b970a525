#include "app/win32/controls.h"

#include <algorithm>

namespace catalog::win32_window {

HWND createChild(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style,
                 int id, DWORD extendedStyle) {
    const auto module = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    return ::CreateWindowExW(extendedStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                             0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             module, nullptr);
}

std::wstring windowText(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

bool runDialog(HINSTANCE instance, DWORD style, HWND owner, DLGPROC procedure, LPARAM parameter) {
    struct alignas(DWORD) EmptyDialog {
        DLGTEMPLATE dialog;
        WORD menu;
        WORD windowClass;
        WORD title;
    } form{};
    form.dialog.style = style;
    return ::DialogBoxIndirectParamW(instance, &form.dialog, owner, procedure, parameter) != -1;
}

void centreOnOwner(HWND dialog, POINT frame) {
    RECT owner{};
    ::GetWindowRect(::GetWindow(dialog, GW_OWNER), &owner);
    ::SetWindowPos(dialog, nullptr, std::max(0L, (owner.left + owner.right - frame.x) / 2),
                   std::max(0L, (owner.top + owner.bottom - frame.y) / 2), frame.x, frame.y,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

window::Size clientSize(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return {client.right, client.bottom};
}

int dpiOf(HWND window) {
    const UINT dpi = ::GetDpiForWindow(window);
    return dpi == 0 ? window::kBaseDpi : static_cast<int>(dpi);
}

POINT frameSize(const window::Size& client, DWORD style, DWORD extendedStyle, int dpi) {
    RECT frame{0, 0, client.width, client.height};
    ::AdjustWindowRectExForDpi(&frame, style, FALSE, extendedStyle, static_cast<UINT>(dpi));
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void focusFirstItem(HWND list) {
    if (ListView_GetItemCount(list) > 0 && ListView_GetNextItem(list, -1, LVNI_FOCUSED) < 0) {
        ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    }
}

// The menu's loop takes the key posted before it starts as the user's: Down, onto the first item.
UINT showContextMenu(HMENU menu, HWND owner, HWND list, LPARAM at) {
    POINT where{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    const bool byKey = where.x == -1 && where.y == -1;
    if (byKey) {
        where = {0, 0};
        RECT row{};
        const int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
        const HWND header = ListView_GetHeader(list);
        const int top =
            header != nullptr && ::IsWindowVisible(header) ? clientSize(header).height : 0;
        if (focused >= 0 && ListView_GetItemRect(list, focused, &row, LVIR_BOUNDS) &&
            row.bottom > top && row.bottom <= clientSize(list).height) {
            where = {std::max<LONG>(0, row.left), row.bottom};
        }
        ::ClientToScreen(list, &where);
        ::PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
    }
    const auto chosen = static_cast<UINT>(::TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                           where.x, where.y, 0, owner, nullptr));
    ::DestroyMenu(menu);
    return chosen;
}

void copyInto(const std::wstring& text, wchar_t* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) {
        return;
    }
    std::size_t length = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
    if (length < text.size() && length > 0 && IS_HIGH_SURROGATE(text[length - 1])) {
        --length;
    }
    text.copy(buffer, length);
    buffer[length] = L'\0';
}

}  // namespace catalog::win32_window
