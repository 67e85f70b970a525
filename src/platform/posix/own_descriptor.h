#pragma once

#include <optional>
#include <string>

namespace catalog {

// The number of the process's own descriptor that `path` names, by whatever spelling leads to
// it (/proc/self/fd/1, /dev/fd/1, /proc/thread-self/fd/1, /proc/PID/fd/1, a relative name or
// one through another mount of the proc file system), or nullopt. The name itself, not a link
// to it: /dev/stdout is a link to /proc/self/fd/1.
std::optional<int> ownDescriptorNamed(const std::string& path);

}  // namespace catalog
