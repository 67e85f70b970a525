#include "platform/shown_path.h"
#include "platform/win32/wide_path_win.h"

namespace catalog {

std::string shownPath(const std::string& path) {
    const std::wstring wide = win32::wideFromUtf8(path);
    // The system takes such a path as it stands, ".." and "/" included.
    if (wide.starts_with(L"\\\\?\\")) {
        return path;
    }
    const std::wstring full = win32::fullPath(wide);
    return full.empty() ? path : win32::utf8FromWide(full);
}

}  // namespace catalog
