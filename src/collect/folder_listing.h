#pragma once

#include <string>
#include <vector>

namespace catalog {

// The names of the regular files in the folder `Path`, in byte order. Symbolic links count as
// the files they point to; hidden files count; folders, pipes, sockets, devices and dangling
// links do not. A folder that is missing or cannot be read lists nothing: this never fails.
std::vector<std::string> FolderToTabs(const std::string& Path);

}  // namespace catalog
