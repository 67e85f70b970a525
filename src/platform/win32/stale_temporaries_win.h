#pragma once

#include <string>
#include <string_view>

namespace catalog::win32 {

// Removes from `folder` (a wide path ending in "\") every file named as a temporary file for the
// output named `base` that no writer holds open: what a killed writer left. A writer keeps its
// temporary file open until it is moved into place, and the removal asks for the file shared
// with no one, which fails while any handle to it is open. Folders and reparse points (links,
// junctions) of such a name are left alone. Silent: a file that cannot be removed stays, as
// cleaning is no part of a write.
void removeStaleTemporaries(const std::wstring& folder, std::wstring_view base);

}  // namespace catalog::win32
