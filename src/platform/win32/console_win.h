#pragma once

#include <span>
#include <string_view>

#include "platform/win32/wide_path_win.h"

namespace catalog::win32 {

// Whether `handle` is a console, which answers GetConsoleMode; a file or a pipe does not.
bool isConsole(HANDLE handle);

// Writes `pieces` (UTF-8) to the console `handle` as characters: a console given bytes reads
// them in its own code page, whatever the program meant. A byte that starts no character shows
// as U+FFFD. False when the console refused them, GetLastError telling why.
bool writeConsoleText(HANDLE handle, std::span<const std::string_view> pieces);

}  // namespace catalog::win32
