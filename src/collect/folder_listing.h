#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "collect/unique_fd.h"

namespace catalog {

// Opens the folder `Path` for listing it and for opening its files relative to it, so that its
// path is looked up once, not once a file. A folder that does not exist gives a descriptor
// that is not open; any other failure (no permission, no descriptor left, not a folder)
// throws FileError.
UniqueFd openFolder(const std::string& Path);

// One regular file of a folder, as the folder lists it.
struct FolderEntry {
    const char* name;
    std::uint64_t inode;  // of the link, for a symbolic link: an order to read in, no more
};

// Hands each regular file of the open folder `folder` to `take`, in the order the folder
// gives them, until `take` returns false. Symbolic links count as the files they point
// to; hidden files count; folders, pipes, sockets, devices and links that lead nowhere
// (dangling or looping) do not. A folder that is not open lists nothing. A failure to read
// the folder, or to follow a link for any other reason, throws FileError naming `folderPath`
// (ending in "/") or the entry in it.
void forEachRegularFile(int folder, const std::string& folderPath,
                        const std::function<bool(const FolderEntry&)>& take);

// The names of the regular files in the folder `Path`, in byte order. A folder that does not
// exist lists nothing; one that cannot be read throws FileError.
std::vector<std::string> FolderToTabs(const std::string& Path);

}  // namespace catalog
