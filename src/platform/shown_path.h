#pragma once

#include <string>

namespace catalog {

// `path` as a message shows it, so that the user sees where the file is rather than the way
// there. On Windows made absolute by the system's rules alone, as every Windows program reads
// it: "C:\a\..\b.txt" is "C:\b.txt", whatever "C:\a" is. Elsewhere the folder as the system
// resolves it, links and ".." included, and the last name as typed, which may be a link itself
// or not exist yet. A path the system cannot resolve so (a folder that is not there) is shown as
// given.
std::string shownPath(const std::string& path);

}  // namespace catalog
