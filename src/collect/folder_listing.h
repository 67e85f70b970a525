#pragma once

#include <string>
#include <vector>

#include "collect/unique_fd.h"

namespace catalog {

// A folder's listing, with the folder kept open so that its files are opened relative to it:
// the folder's path is looked up once, not once a file.
struct FolderContents {
    UniqueFd folder;  // not open when the folder could not be
    std::vector<std::string> names;
};

// The names of the regular files in the folder `Path`, in byte order. Symbolic links count as
// the files they point to; hidden files count; folders, pipes, sockets, devices and dangling
// links do not. A folder that is missing or cannot be read lists nothing: this never fails.
FolderContents listFolder(const std::string& Path);
std::vector<std::string> FolderToTabs(const std::string& Path);

}  // namespace catalog
