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

std::optional<BY_HANDLE_FILE_INFORMATION> informationOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr ||
        !::GetFileInformationByHandle(handle, &information)) {
        return std::nullopt;
    }
    return information;
}

Identity identityIn(const BY_HANDLE_FILE_INFORMATION& information) {
    return Identity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                    information.nFileIndexLow};
}

std::optional<Identity> identityOf(const std::wstring& path) {
    const win32::UniqueHandle handle = win32::openToLookAt(path);
    const std::optional<BY_HANDLE_FILE_INFORMATION> information = informationOf(handle.get());
    return information ? std::optional(identityIn(*information)) : std::nullopt;
}

// A file on a disk that is no folder: a console, a pipe or NUL is not.
bool isDiskFile(HANDLE handle) {
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        return false;
    }
    const std::optional<BY_HANDLE_FILE_INFORMATION> information = informationOf(handle);
    return information && (information->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Where the open file or folder really is, links resolved ("\\?\C:\lists\x"); empty when the
// system cannot tell.
std::wstring finalPathOf(HANDLE handle) {
    return win32::filledToFit([handle](wchar_t* buffer, DWORD size) {
        return ::GetFinalPathNameByHandleW(handle, buffer, size, 0);
    });
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

bool hasNameIn(const std::string& path, const std::string& folder) {
    const win32::UniqueHandle file = win32::openToLookAt(win32::widePath(path));
    const std::optional<BY_HANDLE_FILE_INFORMATION> information = informationOf(file.get());
    if (!information || information->nNumberOfLinks < 2) {
        return false;
    }
    const Identity wanted = identityIn(*information);
    std::wstring pattern = win32::widePath(folder);
    const std::wstring holder = pattern.ends_with(L'\\') ? pattern : pattern + L'\\';
    pattern = holder + L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                           FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool named = false;
    do {
        named = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                identityOf(holder + found.cFileName) == wanted;
    } while (!named && ::FindNextFileW(search, &found));
    ::FindClose(search);
    return named;
}

bool isRegularFile(const std::string& path) {
    return isDiskFile(win32::openToLookAt(win32::widePath(path)).get());
}

// Only a file on a disk has a path that leads back to it; a console, a pipe or NUL has none.
std::optional<std::string> standardOutputFile() {
    const HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (!isDiskFile(handle)) {
        return std::nullopt;
    }
    const std::wstring path = finalPathOf(handle);
    if (path.empty()) {
        return std::nullopt;
    }
    return win32::utf8FromWide(path);
}

}  // namespace catalog
