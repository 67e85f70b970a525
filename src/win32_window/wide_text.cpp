#include "win32_window/wide_text.h"

#include "platform/wtf8.h"

namespace catalog::win32_window {

// wchar_t is UTF-16 on Windows: the two string types hold the same code units.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring wideFromUtf8(std::string_view text) {
    const std::u16string wide = utf16FromWtf8(text);
    return {wide.begin(), wide.end()};
}

std::string utf8FromWide(std::wstring_view text) {
    return wtf8FromUtf16(std::u16string(text.begin(), text.end()));
}

}  // namespace catalog::win32_window
