// Reference routines for the tests, the fuzzer and the benchmarks: a folder's names as the
// programs list them.
#pragma once

#include <string>
#include <vector>

namespace catalog {

// The names of the regular files in the folder `Path` (ending in a separator), in the order of
// the rows. A folder that does not exist lists nothing; one that cannot be read throws FileError.
std::vector<std::string> FolderToTabs(const std::string& Path);

}  // namespace catalog
