#pragma once

#include <string>
#include <utility>
#include <vector>

namespace catalog {

// A file's extended attributes of the user namespace ("user.*"), names with values: what users
// and their tools (tags, origins, checksums) put on a file, which a replaced file hands on. The
// other namespaces are the system's own (security labels, ACLs, trusted data), never copied.
using UserAttributes = std::vector<std::pair<std::string, std::string>>;

// Those of the file at `path`, not following a link there. Any that cannot be read, or all
// where the file system keeps none, are left out: handing them on is a courtesy, no part of a
// write.
UserAttributes userAttributesOf(const std::string& path);

// Sets `attributes` on the file open at `fd`; any the file system or the process may not set is
// skipped.
void giveUserAttributes(int fd, const UserAttributes& attributes);

}  // namespace catalog
