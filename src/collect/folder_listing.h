#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "collect/unique_fd.h"

namespace catalog {

// Opens the folder `Path` for listing it and for opening its files relative to it, so that its
// path is looked up once, not once a file. Not open when the folder cannot be.
UniqueFd openFolder(const std::string& Path);

// One regular file of a folder, as the folder lists it.
struct FolderEntry {
    const char* name;
    std::uint64_t inode;  // of the link, for a symbolic link: an order to read in, no more
};

// Hands each regular file of the open folder `folder` to `take`, in the order the folder
// gives them, until `take` returns false. Symbolic links count as the files they point
// to; hidden files count; folders, pipes, sockets, devices and dangling links do not. A read
// error ends the listing: a run needs a finite list more than a complete one.
void forEachRegularFile(int folder, const std::function<bool(const FolderEntry&)>& take);

// The names of the regular files in the folder `Path`, in byte order. A folder that is missing
// or cannot be read lists nothing: this never fails.
std::vector<std::string> FolderToTabs(const std::string& Path);

}  // namespace catalog
