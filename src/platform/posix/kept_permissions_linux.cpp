#include <cerrno>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/file_error.h"
#include "platform/posix/kept_permissions.h"

namespace catalog {

namespace {

constexpr char kAccessAcl[] = "system.posix_acl_access";

// Read, write and nothing more, for each of owner, group and others.
constexpr mode_t kTextBits = 0666;

// The attribute's value, as the kernel stores it (posix_acl_xattr): a version, 2, in four bytes,
// then entries of eight: a tag in two bytes, the permissions in two, an id in four, all
// little-endian. Execute is the lowest permission bit. Clears it in every entry (owner, named
// users and groups, owning group, mask, others); false for a value of another layout.
bool clearExecute(std::string& acl) {
    constexpr std::size_t kHeader = 4;
    constexpr std::size_t kEntry = 8;
    constexpr std::size_t kPermissions = 2;  // within an entry
    constexpr char kVersion[kHeader] = {2, 0, 0, 0};
    if (acl.size() < kHeader || (acl.size() - kHeader) % kEntry != 0 ||
        acl.compare(0, kHeader, kVersion, kHeader) != 0) {
        return false;
    }
    for (std::size_t at = kHeader + kPermissions; at < acl.size(); at += kEntry) {
        acl[at] = static_cast<char>(acl[at] & ~1);
    }
    return true;
}

// The file's access ACL; empty when it has none beyond its permissions, or its file system
// keeps none. By path: a file the process may write but not read cannot be opened to ask.
std::string accessAclOf(const std::string& path, const std::string& filename) {
    std::string acl;
    for (;;) {
        const ssize_t size = ::lgetxattr(path.c_str(), kAccessAcl, acl.data(), acl.size());
        if (size >= 0 && static_cast<std::size_t>(size) <= acl.size()) {
            acl.resize(static_cast<std::size_t>(size));
            return clearExecute(acl) ? acl : std::string();
        }
        if (size < 0 && errno == ERANGE) {
            acl.clear();  // it grew since its size was asked: ask again
        } else if (size < 0 && (errno == ENODATA || errno == ENOTSUP || errno == ENOENT)) {
            return {};
        } else if (size < 0) {
            throwLastError("write", filename);
        } else {
            acl.resize(static_cast<std::size_t>(size));
        }
    }
}

}  // namespace

KeptPermissions::KeptPermissions(const std::string& path, const struct stat& replaced,
                                 const std::string& filename)
    : m_owner(replaced.st_uid),
      m_group(replaced.st_gid),
      m_mode(replaced.st_mode & kTextBits),
      m_acl(accessAclOf(path, filename)),
      m_userAttributes(userAttributesOf(path)) {}

// Only a process that may give files away (root) can keep another user's file theirs; any
// other keeps the group if it belongs to it, and else makes the file its own, as a copy would.
// The owner comes first, while the file is still the process's alone; before it the user's
// attributes, which only a process that may write the file sets, and a read-only listing given
// away no longer lets it.
void KeptPermissions::applyTo(int fd, const std::string& filename) const {
    giveUserAttributes(fd, m_userAttributes);
    if ((m_owner != ::geteuid() || m_group != ::getegid()) && ::fchown(fd, m_owner, m_group) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), m_group) != 0) {
        // Neither is allowed: the new file stays the process's own.
    }
    // Setting the ACL sets the permissions it implies with it.
    if (!m_acl.empty() && ::fsetxattr(fd, kAccessAcl, m_acl.data(), m_acl.size(), 0) == 0) {
        return;
    }
    if (!m_acl.empty() && errno != ENOTSUP) {
        throwLastError("write", filename);
    }
    // The new file took the folder's default ACL, if it has one; an earlier listing without an
    // ACL gave no one else access, and neither may its replacement.
    if (m_acl.empty() && ::fremovexattr(fd, kAccessAcl) != 0 && errno != ENODATA &&
        errno != ENOTSUP) {
        throwLastError("write", filename);
    }
    if (::fchmod(fd, m_mode) != 0) {
        throwLastError("write", filename);
    }
}

}  // namespace catalog
