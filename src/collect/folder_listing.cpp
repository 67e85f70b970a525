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

// A directory stream on a descriptor of its own, which the stream closes: `folder` stays open.
std::unique_ptr<DIR, DirCloser> openStream(const UniqueFd& folder) {
    UniqueFd copy(folder ? ::dup(folder.get()) : -1);
    DIR* stream = copy ? ::fdopendir(copy.get()) : nullptr;
    if (stream != nullptr) {
        copy.release();
    }
    return std::unique_ptr<DIR, DirCloser>(stream);
}

}  // namespace

FolderContents listFolder(const std::string& Path) {
    FolderContents contents;
    UniqueFd folder(::open(Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const std::unique_ptr<DIR, DirCloser> dir = openStream(folder);
    if (!dir) {
        return contents;
    }
    // A read error ends the listing: the run needs a finite list more than a complete one.
    while (const dirent* entry = ::readdir(dir.get())) {
        if (isRegularFile(folder.get(), *entry)) {
            contents.names.emplace_back(entry->d_name);
        }
    }
    // Directory order differs between machines and file systems; the rows must not.
    std::sort(contents.names.begin(), contents.names.end());
    contents.folder = std::move(folder);
    return contents;
}

std::vector<std::string> FolderToTabs(const std::string& Path) {
    return listFolder(Path).names;
}

}  // namespace catalog
