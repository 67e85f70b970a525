#include "collect/folder_listing.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace catalog {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// A directory stream on a descriptor of its own, which the stream closes: `folder` stays open.
std::unique_ptr<DIR, DirCloser> openStream(int folder) {
    UniqueFd copy(folder >= 0 ? ::dup(folder) : -1);
    DIR* stream = copy ? ::fdopendir(copy.get()) : nullptr;
    if (stream != nullptr) {
        copy.release();
        // The copy shares its position with `folder`: a folder listed before starts over.
        ::rewinddir(stream);
    }
    return std::unique_ptr<DIR, DirCloser>(stream);
}

bool isRegularFile(int folder, const dirent& entry) {
    if (entry.d_type == DT_REG) {
        return true;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return false;
    }
    // Follows links: a link counts as what it points to, and a dangling one fails here.
    struct stat status {};
    return ::fstatat(folder, entry.d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

UniqueFd openFolder(const std::string& Path) {
    return UniqueFd(::open(Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

void forEachRegularFile(int folder, const std::function<bool(const FolderEntry&)>& take) {
    const std::unique_ptr<DIR, DirCloser> dir = openStream(folder);
    if (!dir) {
        return;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (isRegularFile(folder, *entry) && !take(FolderEntry{entry->d_name, entry->d_ino})) {
            return;
        }
    }
}

std::vector<std::string> FolderToTabs(const std::string& Path) {
    std::vector<std::string> names;
    const UniqueFd folder = openFolder(Path);
    forEachRegularFile(folder.get(), [&names](const FolderEntry& entry) {
        names.emplace_back(entry.name);
        return true;
    });
    // Directory order differs between machines and file systems; the rows must not.
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace catalog
