#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_error.h"
#include "platform/file_identity.h"
#include "platform/posix/link_chain.h"

namespace catalog {

namespace {

std::optional<struct stat> statusOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return status;
}

bool sameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

}  // namespace

bool sameFile(const std::string& one, const std::string& other) {
    const std::optional<struct stat> first = statusOf(one);
    const std::optional<struct stat> second = statusOf(other);
    return first && second && sameFile(*first, *second);
}

bool liesIn(const std::string& path, const std::string& folder) {
    try {
        const std::string holder = folderOf(endOfLinks(path));
        return sameFile(holder.empty() ? "." : holder, folder);
    } catch (const FileError&) {
        return false;  // a link that cannot be read, or a loop: the write fails on it anyway
    }
}

bool hasNameIn(const std::string& path, const std::string& folder) {
    const std::optional<struct stat> file = statusOf(path);
    if (!file || file->st_nlink < 2) {
        return false;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
    if (!listing) {
        return false;
    }
    while (const dirent* entry = ::readdir(listing.get())) {
        struct stat named {};
        if (entry->d_ino == file->st_ino &&
            ::fstatat(::dirfd(listing.get()), entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameFile(named, *file)) {
            return true;
        }
    }
    return false;
}

bool isRegularFile(const std::string& path) {
    const std::optional<struct stat> status = statusOf(path);
    return status && S_ISREG(status->st_mode);
}

}  // namespace catalog
