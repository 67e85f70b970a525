#include "collect/folder_listing.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace catalog {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isRegularFile(DIR* dir, const dirent& entry) {
    if (entry.d_type == DT_REG) {
        return true;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return false;
    }
    // Follows links: a link counts as what it points to, and a dangling one fails here.
    struct stat status {};
    return ::fstatat(::dirfd(dir), entry.d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

std::vector<std::string> FolderToTabs(const std::string& Path) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(Path.c_str()));
    if (!dir) {
        return names;
    }
    // A read error ends the listing: the run needs a finite list more than a complete one.
    while (const dirent* entry = ::readdir(dir.get())) {
        if (isRegularFile(dir.get(), *entry)) {
            names.emplace_back(entry->d_name);
        }
    }
    // Directory order differs between machines and file systems; the rows must not.
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace catalog
