#pragma once

#include <string>
#include <string_view>

namespace catalog {

// What separates a folder from the names inside it in paths the program builds itself. Paths
// typed by the user are used as typed; on Windows "/" works there as well as "\".
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Whether `c` separates names in a path here: "/" everywhere, and "\" on Windows too.
constexpr bool isPathSeparator(char c) {
    return c == '/' || c == kPathSeparator;
}

// How the names of programs end here.
#ifdef _WIN32
inline constexpr std::string_view kProgramSuffix = ".exe";
#else
inline constexpr std::string_view kProgramSuffix = "";
#endif

// Whether names follow Windows' rules here: drives, shares, devices and streams.
#ifdef _WIN32
inline constexpr bool kWindowsNameRules = true;
#else
inline constexpr bool kWindowsNameRules = false;
#endif

// Whether a name typed for the listing already says where it goes on this system, so that
// joining it to a folder would only break it: on POSIX a name from the root
// ("/home/shop/lists/products.txt"); on Windows a drive letter ("C:\lists\out.txt", even
// "C:out.txt"), a share ("\\server\share\out.txt") or a "\\?\" or "\\.\" prefix. A name from the
// root on Windows ("\lists\out.txt") is not: it lacks the drive, which rootOf gives.
bool isFullPathHere(std::string_view name);

// The drive ("C:") or share ("\\server\share") that a full Windows path lies on, as written there,
// which a name from the root ("\lists\out.txt") goes on as Windows reads it. Empty for any other
// path, and everywhere but on Windows, where "/" alone is the root.
std::string_view rootOf(std::string_view path);

// Whether Windows takes the last name in `path` for a device rather than a file: CON, PRN, AUX,
// NUL, COM0 to COM9 or LPT0 to LPT9, in any case, with or without an extension, trailing dots
// or blanks. A file so named can be made on no Windows, so the rule is the same everywhere.
bool isWindowsDeviceName(std::string_view path);

// `path` naming the file the system makes for it: on Windows without the dots and blanks that end
// its last name, which Win32 drops ("liste.txt. " makes liste.txt), but after the "\\?\" prefix,
// which keeps them, and for "." and "..". Unchanged elsewhere. For showing the name: a path
// given to the system is given as typed, which leads to the same file.
std::string nameAsMade(std::string_view path);

// Whether `path` names a stream of a file on this system: on Windows a colon past the drive, as
// in "output.txt:notes", which NTFS takes for a hidden part of output.txt. Never elsewhere.
bool namesFileStream(std::string_view path);

}  // namespace catalog
