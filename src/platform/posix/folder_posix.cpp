#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/file_error.h"
#include "platform/folder.h"
#include "platform/posix/folder_native.h"
#include "platform/system_error.h"

namespace catalog {

namespace {

// A link leads nowhere when its target, or a folder on the way there, does not exist, or when
// the links loop. Anything else (no permission, an I/O error) is a file that cannot be read.
bool leadsNowhere(int error) {
    return error == ENOENT || error == ENOTDIR || error == ELOOP || error == ENAMETOOLONG;
}

// What the entry is, links followed, as a file type (S_IFREG, S_IFDIR, ...); 0 for anything
// else and for a link that leads nowhere. Given `folderPath`, any other failure to follow a link
// throws naming the entry; without it, as for counting what a folder holds, nothing fails.
mode_t followedType(int folder, const dirent& entry, const std::string* folderPath = nullptr) {
    if (entry.d_type == DT_REG) {
        return S_IFREG;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return entry.d_type == DT_DIR ? S_IFDIR : 0;
    }
    struct stat status {};
    if (::fstatat(folder, entry.d_name, &status, 0) == 0) {
        return status.st_mode & S_IFMT;
    }
    const int error = errno;
    if (folderPath != nullptr && !leadsNowhere(error)) {
        throw FileError("open", *folderPath + entry.d_name, error);
    }
    return 0;
}

// Hands `take` each entry of the folder, "." and ".." included, until it returns false. They
// are read on a descriptor of their own, which the stream closes: the folder stays open.
void forEachEntry(int folder, const std::string& folderPath,
                  const std::function<bool(const dirent&)>& take) {
    UniqueFd copy(::dup(folder));
    DIR* stream = copy ? ::fdopendir(copy.get()) : nullptr;
    if (stream == nullptr) {
        throwLastError("list folder", folderPath);
    }
    copy.release();
    const std::unique_ptr<DIR, decltype([](DIR* dir) { ::closedir(dir); })> dir(stream);
    // The copy shares its position with the folder: a folder listed before starts over.
    ::rewinddir(stream);
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!take(*entry)) {
            return;
        }
        errno = 0;
    }
    if (errno != 0) {
        throwLastError("list folder", folderPath);
    }
}

}  // namespace

Folder Folder::open(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd && errno != ENOENT) {
        throwLastError("open folder", path);
    }
    Folder folder;
    folder.m_path = path;
    folder.m_native->fd = std::move(fd);
    return folder;
}

Folder::Folder() : m_native(std::make_unique<Native>()) {}
Folder::Folder(Folder&&) noexcept = default;
Folder& Folder::operator=(Folder&&) noexcept = default;
Folder::~Folder() = default;

bool Folder::isOpen() const {
    return m_native && m_native->fd;
}

void Folder::forEachRegularFile(const std::function<bool(const FolderEntry&)>& take,
                                const std::function<void(const char* name)>& subfolder) const {
    if (!isOpen()) {
        return;
    }
    const int folder = m_native->fd.get();
    forEachEntry(folder, m_path, [&](const dirent& entry) {
        const mode_t type = followedType(folder, entry, &m_path);
        if (type == S_IFDIR && subfolder && std::strcmp(entry.d_name, ".") != 0 &&
            std::strcmp(entry.d_name, "..") != 0) {
            subfolder(entry.d_name);
        }
        return type != S_IFREG || take(FolderEntry{entry.d_name, entry.d_ino});
    });
}

Folder::OtherEntries Folder::countOtherEntries() const {
    OtherEntries counts;
    if (!isOpen()) {
        return counts;
    }
    const int folder = m_native->fd.get();
    forEachEntry(folder, m_path, [&](const dirent& entry) {
        const bool dot =
            std::strcmp(entry.d_name, ".") == 0 || std::strcmp(entry.d_name, "..") == 0;
        const mode_t type = dot ? S_IFREG : followedType(folder, entry);
        if (type == S_IFDIR) {
            ++counts.subfolders;
        } else if (type != S_IFREG) {
            ++counts.rest;
        }
        return true;
    });
    return counts;
}

void requireFolder(const std::string& path, const char* operation) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throwLastError(operation, path);
    }
    if (!S_ISDIR(status.st_mode)) {
        throw FileError(operation, path, errorNumberOf(Condition::NotAFolder));
    }
}

void makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        throwLastError("make folder", path);
    }
    requireFolder(path, "make folder");
}

}  // namespace catalog
