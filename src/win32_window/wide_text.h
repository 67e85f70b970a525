#pragma once

#include <string>
#include <string_view>

namespace catalog::win32_window {

// The window layer gives and takes UTF-8 (WTF-8 for names, which may hold a lone surrogate);
// the system's wide calls take UTF-16.
std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

}  // namespace catalog::win32_window
