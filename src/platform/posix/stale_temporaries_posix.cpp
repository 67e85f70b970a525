#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>

#include "platform/posix/stale_temporaries.h"
#include "platform/posix/unique_fd.h"
#include "platform/temporary_names.h"

namespace catalog {

namespace {

bool sameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// The name is looked at first, so that only a regular file is ever opened: opening a FIFO or a
// device could block or act. The name may be swapped meanwhile, so what was opened is looked at
// again, and once it is locked the name must still lead to it: the file removed is the one
// found unheld.
void removeIfStale(int folder, const char* name) {
    struct stat seen {};
    if (::fstatat(folder, name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode)) {
        return;
    }
    const UniqueFd fd(
        ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (!fd || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return;
    }
    struct stat now {};
    if (::fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(now, opened)) {
        ::unlinkat(folder, name, 0);
    }
}

}  // namespace

bool holdTemporary(int fd) {
    // A file system that keeps no locks (ENOLCK, an old NFS) lets no cleaner lock either.
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

void removeStaleTemporaries(const std::string& folder, std::string_view base) {
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(
        ::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!listing) {
        return;
    }
    while (const dirent* entry = ::readdir(listing.get())) {
        if (isTemporaryName(std::string_view(entry->d_name), base)) {
            removeIfStale(::dirfd(listing.get()), entry->d_name);
        }
    }
}

}  // namespace catalog
