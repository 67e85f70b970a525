#pragma once

#include <string>
#include <windows.h>

namespace catalog::win32_window {

// Puts `text` on the clipboard as Unicode text, owned by `owner`. False when another program
// holds the clipboard open or there is no memory for the copy.
bool copyToClipboard(HWND owner, const std::wstring& text);

}  // namespace catalog::win32_window
