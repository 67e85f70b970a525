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
