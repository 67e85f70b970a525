#pragma once

#include <string_view>

namespace catalog {

// What separates a folder from the names inside it in paths the program builds itself. Paths
// typed by the user are used as typed; on Windows "/" works there as well as "\".
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Whether names follow Windows' rules here: drives, shares, devices and streams.
#ifdef _WIN32
inline constexpr bool kWindowsNameRules = true;
#else
inline constexpr bool kWindowsNameRules = false;
#endif

// Whether a name typed for the listing already says where it goes on this system, so that
// joining it to a folder would only break it: on Windows a drive letter ("C:\lists\out.txt",
// even "C:out.txt"), a share ("\\server\share\out.txt") or a "\\?\" or "\\.\" prefix. Elsewhere
// no name is: the window has always joined every name to its folder, "/tmp/x" included.
bool isFullPathHere(std::string_view name);

}  // namespace catalog
