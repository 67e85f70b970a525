#pragma once

#include "platform/folder.h"
#include "platform/posix/unique_fd.h"

namespace catalog {

// A folder is its open descriptor, which files are opened relative to; not open when the folder
// does not exist.
struct Folder::Native {
    UniqueFd fd;
};

}  // namespace catalog
