#include <optional>

#include "platform/file_identity.h"
#include "platform/win32/wide_path_win.h"

namespace catalog {

namespace {

struct Identity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
    bool operator==(const Identity&) const = default;
};

struct Found {
    Identity identity;
    DWORD attributes;
};

std::optional<Found> lookAt(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle, &information)) {
        return std::nullopt;
    }
    return Found{
        {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow},
        information.dwFileAttributes};
}

std::optional<Identity> identityOf(const std::wstring& path) {
    const win32::UniqueHandle handle = win32::openToLookAt(path);
    if (!handle) {
        return std::nullopt;
    }
    const std::optional<Found> found = lookAt(handle.get());
    return found ? std::optional<Identity>(found->identity) : std::nullopt;
}

// Where the open file or folder really is, links resolved ("\\?\C:\lists\x").
std::wstring finalPathOf(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length + 1);
    }
}

// The folder holding `path`: "C:\lists\x" gives "C:\lists", a drive's root keeps its "\".
std::wstring folderOf(const std::wstring& path) {
    const std::size_t separator = path.rfind(L'\\');
    if (separator == std::wstring::npos) {
        return {};
    }
    std::wstring folder = path.substr(0, separator);
    return folder.ends_with(L':') ? folder + L'\\' : folder;
}

// The folder that holds the file a write to `path` replaces: found from the file itself when it
// is there, through any links, else from the name.
std::wstring holderOf(const std::wstring& path) {
    const win32::UniqueHandle file = win32::openToLookAt(path);
    const std::wstring real = file ? finalPathOf(file.get()) : std::wstring();
    return folderOf(real.empty() ? path : real);
}

}  // namespace

bool sameFile(const std::string& one, const std::string& other) {
    const std::optional<Identity> first = identityOf(win32::widePath(one));
    const std::optional<Identity> second = identityOf(win32::widePath(other));
    return first && second && *first == *second;
}

bool liesIn(const std::string& path, const std::string& folder) {
    const std::optional<Identity> wanted = identityOf(win32::widePath(folder));
    const std::wstring holder = holderOf(win32::widePath(path));
    return wanted && !holder.empty() && identityOf(holder) == wanted;
}

bool isRegularFile(const std::string& path) {
    const win32::UniqueHandle handle = win32::openToLookAt(win32::widePath(path));
    if (!handle || ::GetFileType(handle.get()) != FILE_TYPE_DISK) {
        return false;
    }
    const std::optional<Found> found = lookAt(handle.get());
    return found && (found->attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace catalog
