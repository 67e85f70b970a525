#include <algorithm>
#include <cwchar>
#include <functional>
#include <iterator>
#include <memory>

#include "platform/file_error.h"
#include "platform/folder.h"
#include "platform/system_error.h"
#include "platform/win32/wide_path_win.h"

namespace catalog {

// The folder's path as the system's calls take it, ending in "\": each file's path is this and
// its name, with no further look-up of the folder's.
struct Folder::Native {
    std::wstring path;
};

namespace {

// Special files that WSL and AF_UNIX sockets leave on NTFS, marked only by their reparse tags;
// WSL's tags are missing from some versions of the system headers.
constexpr DWORD kSpecialFileTags[] = {
    IO_REPARSE_TAG_AF_UNIX,
    0x80000024,  // IO_REPARSE_TAG_LX_FIFO
    0x80000025,  // IO_REPARSE_TAG_LX_CHR
    0x80000026,  // IO_REPARSE_TAG_LX_BLK
};

bool isMissing(int error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A link leads nowhere when its target, or a folder on the way there, does not exist, when the
// links loop, or when the target cannot even be named. Anything else (no permission, a disk
// that fails) is a file that cannot be read.
bool leadsNowhere(int error) {
    return isMissing(error) || error == ERROR_CANT_RESOLVE_FILENAME ||
           error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME;
}

// Empty for an empty path, which names no folder, rather than the root of the current drive.
std::wstring folderPathOf(const std::string& path) {
    std::wstring wide = win32::widePath(path);
    if (!wide.empty() && !wide.ends_with(L'\\')) {
        wide.push_back(L'\\');
    }
    return wide;
}

struct Attributes {
    DWORD value;
    int error;  // when the value is INVALID_FILE_ATTRIBUTES
};

// The attributes of the folder itself, asked without the final "\": after a file's name the
// system takes it for a syntax error rather than saying that the file is no folder. A drive's
// root keeps it. What the system says of an empty path differs between its versions.
Attributes attributesOf(std::wstring folder) {
    if (folder.empty()) {
        return {INVALID_FILE_ATTRIBUTES, errorNumberOf(Condition::NoSuchFile)};
    }
    while (folder.ends_with(L'\\') && folder.size() > 1 && folder[folder.size() - 2] != L':') {
        folder.pop_back();
    }
    const DWORD value = ::GetFileAttributesW(folder.c_str());
    return {value, value == INVALID_FILE_ATTRIBUTES ? lastSystemError() : 0};
}

enum class EntryKind { File, Link, Other };

EntryKind kindOf(const WIN32_FIND_DATAW& found) {
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return folder ? EntryKind::Other : EntryKind::File;
    }
    // With this attribute the system gives the reparse tag in dwReserved0.
    const DWORD tag = found.dwReserved0;
    if (IsReparseTagNameSurrogate(tag)) {
        return EntryKind::Link;  // a symbolic link or a junction
    }
    if (std::ranges::find(kSpecialFileTags, tag) != std::end(kSpecialFileTags)) {
        return EntryKind::Other;
    }
    // Any other tag marks a file whose data lives elsewhere (in the cloud, deduplicated,
    // compressed by the system), which reads as any file does.
    return folder ? EntryKind::Other : EntryKind::File;
}

enum class Followed { File, Folder, Other };

// A folder met among the entries, not a link to one, nor `.` or `..`.
bool isSubfolder(const WIN32_FIND_DATAW& found) {
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           std::wcscmp(found.cFileName, L".") != 0 && std::wcscmp(found.cFileName, L"..") != 0;
}

// What a link leads to: opening follows the links to their end, where the file or folder is
// asked what it is. A device or a pipe, which could stream without end, and a link that leads
// nowhere are Other. Given `shownPath`, any other failure throws naming it, as a file that
// cannot be read; without it, as for counting what a folder holds, nothing fails.
Followed followedLink(const std::wstring& link, const std::string* shownPath = nullptr) {
    const win32::UniqueHandle target = win32::openToLookAt(link);
    BY_HANDLE_FILE_INFORMATION information{};
    if (target && ::GetFileType(target.get()) != FILE_TYPE_DISK) {
        return Followed::Other;
    }
    if (!target || !::GetFileInformationByHandle(target.get(), &information)) {
        const int error = lastSystemError();
        if (shownPath != nullptr && (target || !leadsNowhere(error))) {
            throw FileError("open", *shownPath, error);
        }
        return Followed::Other;
    }
    return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Followed::Folder
                                                                          : Followed::File;
}

// Hands `take` each entry of the folder at `folder` (ending in "\"), "." and ".." included,
// until it returns false. `flags` go to FindFirstFileExW; errors name `shownPath`.
void forEachFound(const std::wstring& folder, DWORD flags, const std::string& shownPath,
                  const std::function<bool(const WIN32_FIND_DATAW&)>& take) {
    const std::wstring pattern = folder + L'*';
    WIN32_FIND_DATAW found;
    const HANDLE first = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                            FindExSearchNameMatch, nullptr, flags);
    if (first == INVALID_HANDLE_VALUE) {
        const int error = lastSystemError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return;  // no entry at all, as on a drive's empty root
        }
        throw FileError("list folder", shownPath, error);
    }
    const std::unique_ptr<void, decltype(&::FindClose)> find(first, &::FindClose);
    do {
        if (!take(found)) {
            return;
        }
    } while (::FindNextFileW(find.get(), &found));
    const int error = lastSystemError();
    if (error != ERROR_NO_MORE_FILES) {
        throw FileError("list folder", shownPath, error);
    }
}

// Throws FileError(operation, path, ...) unless `attributes` are a folder's.
void requireFolderAttributes(const Attributes& attributes, const char* operation,
                             const std::string& path) {
    if (attributes.value == INVALID_FILE_ATTRIBUTES) {
        throw FileError(operation, path, attributes.error);
    }
    if ((attributes.value & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        throw FileError(operation, path, errorNumberOf(Condition::NotAFolder));
    }
}

}  // namespace

Folder Folder::open(const std::string& path) {
    Folder folder;
    folder.m_path = path;
    std::wstring wide = folderPathOf(path);
    const Attributes attributes = attributesOf(wide);
    if (attributes.value == INVALID_FILE_ATTRIBUTES && isMissing(attributes.error)) {
        return folder;
    }
    requireFolderAttributes(attributes, "open folder", path);
    folder.m_native = std::make_unique<Native>(Native{std::move(wide)});
    return folder;
}

Folder::Folder() = default;
Folder::Folder(Folder&&) noexcept = default;
Folder& Folder::operator=(Folder&&) noexcept = default;
Folder::~Folder() = default;

bool Folder::isOpen() const {
    return m_native != nullptr;
}

void Folder::forEachRegularFile(const std::function<bool(const FolderEntry&)>& take,
                                const std::function<void(const char* name)>& subfolder) const {
    if (!m_native) {
        return;
    }
    std::string name;
    // The large fetch asks for many entries a call: the folder's names are read to their end at
    // once.
    forEachFound(m_native->path, FIND_FIRST_EX_LARGE_FETCH, m_path,
                 [&](const WIN32_FIND_DATAW& found) {
                     const EntryKind kind = kindOf(found);
                     if (kind == EntryKind::Other) {
                         if (subfolder && isSubfolder(found)) {
                             subfolder(win32::utf8FromWide(found.cFileName).c_str());
                         }
                         return true;
                     }
                     name = win32::utf8FromWide(found.cFileName);
                     if (kind == EntryKind::Link) {
                         const std::string shownPath = m_path + name;
                         const Followed followed =
                             followedLink(m_native->path + found.cFileName, &shownPath);
                         if (followed == Followed::Folder && subfolder) {
                             subfolder(name.c_str());
                         }
                         if (followed != Followed::File) {
                             return true;
                         }
                     }
                     // The order is 0: FindFirstFileExW lists in the order the file system keeps,
                     // which is already the fastest to read in.
                     return take(FolderEntry{name.c_str(), 0});
                 });
}

Folder::OtherEntries Folder::countOtherEntries() const {
    OtherEntries counts;
    if (!m_native) {
        return counts;
    }
    forEachFound(m_native->path, 0, m_path, [&](const WIN32_FIND_DATAW& found) {
        if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0) {
            return true;
        }
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const EntryKind kind = kindOf(found);
        Followed followed = folder ? Followed::Folder : Followed::File;
        if (kind == EntryKind::Link) {
            followed = followedLink(m_native->path + found.cFileName);
        } else if (kind == EntryKind::Other && !folder) {
            followed = Followed::Other;
        }
        counts.subfolders += followed == Followed::Folder ? 1 : 0;
        counts.rest += followed == Followed::Other ? 1 : 0;
        return true;
    });
    return counts;
}

std::wstring win32::widePathIn(const Folder& folder, const char* name) {
    return folder.native().path + win32::wideFromUtf8(name);
}

void requireFolder(const std::string& path, const char* operation) {
    requireFolderAttributes(attributesOf(folderPathOf(path)), operation, path);
}

void makeFolder(const std::string& path) {
    if (!CreateDirectoryW(folderPathOf(path).c_str(), nullptr)) {
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS) {
            throw FileError("make folder", path, static_cast<int>(error));
        }
    }
    requireFolder(path, "make folder");
}

}  // namespace catalog
