#pragma once

#include <algorithm>
#include <string>
#include <windows.h>

namespace catalog::win32_window {

// Copies `text` into a buffer a list view gives, cut to fit, never through the middle of a
// surrogate pair.
inline void copyInto(const std::wstring& text, wchar_t* buffer, int capacity) {
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
