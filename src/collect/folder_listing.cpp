#include "collect/folder_listing.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

#include "collect/file_error.h"

namespace catalog {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// A directory stream on a descriptor of its own, which the stream closes: `folder` stays open.
std::unique_ptr<DIR, DirCloser> openStream(int folder, const std::string& folderPath) {
    UniqueFd copy(::dup(folder));
    DIR* stream = copy ? ::fdopendir(copy.get()) : nullptr;
    if (stream == nullptr) {
        throwLastError("list folder", folderPath);
    }
    copy.release();
    // The copy shares its position with `folder`: a folder listed before starts over.
    ::rewinddir(stream);
    return std::unique_ptr<DIR, DirCloser>(stream);
}

// A link leads nowhere when its target, or a folder on the way there, does not exist, or when
// the links loop. Anything else (no permission, an I/O error) is a file that cannot be read.
bool leadsNowhere(int error) {
    return error == ENOENT || error == ENOTDIR || error == ELOOP || error == ENAMETOOLONG;
}

bool isRegularFile(int folder, const std::string& folderPath, const dirent& entry) {
    if (entry.d_type == DT_REG) {
        return true;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return false;
    }
    // Follows links: a link counts as what it points to.
    struct stat status {};
    if (::fstatat(folder, entry.d_name, &status, 0) != 0) {
        const int error = errno;
        if (leadsNowhere(error)) {
            return false;
        }
        throw FileError("open", folderPath + entry.d_name, error);
    }
    return S_ISREG(status.st_mode);
}

}  // namespace

UniqueFd openFolder(const std::string& Path) {
    UniqueFd folder(::open(Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder && errno != ENOENT) {
        throwLastError("open folder", Path);
    }
    return folder;
}

void forEachRegularFile(int folder, const std::string& folderPath,
                        const std::function<bool(const FolderEntry&)>& take) {
    if (folder < 0) {
        return;
    }
    const std::unique_ptr<DIR, DirCloser> dir = openStream(folder, folderPath);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) {
                throwLastError("list folder", folderPath);
            }
            return;
        }
        if (isRegularFile(folder, folderPath, *entry) &&
            !take(FolderEntry{entry->d_name, entry->d_ino})) {
            return;
        }
    }
}

std::vector<std::string> FolderToTabs(const std::string& Path) {
    std::vector<std::string> names;
    const UniqueFd folder = openFolder(Path);
    forEachRegularFile(folder.get(), Path, [&names](const FolderEntry& entry) {
        names.emplace_back(entry.name);
        return true;
    });
    // Directory order differs between machines and file systems; the rows must not.
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace catalog
