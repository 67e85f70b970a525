#pragma once

#include <string>
#include <sys/stat.h>

#include "platform/posix/user_attributes.h"

namespace catalog {

// What a replaced file hands on to the file that replaces it: its owner and group, where the
// process may give them, its access ACL, or without one its permissions, and its extended
// attributes of the user namespace, where they can be read and set. An execute bit is
// never handed on, nor set-user-ID, set-group-ID or sticky: the replacement is text, and a file
// once marked executable would otherwise stay one a shell runs.
class KeptPermissions {
public:
    // Those of the file at `path`, which was seen as `replaced`. Throws FileError("write",
    // filename, ...) when its ACL cannot be read.
    KeptPermissions(const std::string& path, const struct stat& replaced,
                    const std::string& filename);

    // Gives them to the file open at `fd`, the process's own. Throws FileError("write",
    // filename, ...).
    void applyTo(int fd, const std::string& filename) const;

private:
    uid_t m_owner;
    gid_t m_group;
    mode_t m_mode;
    std::string m_acl;  // the attribute's value, execute cleared; empty when there is none
    UserAttributes m_userAttributes;
};

}  // namespace catalog
