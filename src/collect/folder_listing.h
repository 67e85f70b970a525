#pragma once

#include <string>
#include <vector>

namespace catalog {

// The names of the regular files in the folder `Path`, in byte order. A folder that does not
// exist lists nothing; one that cannot be read throws FileError.
std::vector<std::string> FolderToTabs(const std::string& Path);

}  // namespace catalog
