#pragma once

#include <string>
#include <string_view>

namespace catalog {

// A writer holds its temporary file locked (flock) from its making until it is renamed or
// removed; a file of the temporary naming that no one holds is what a killed writer left. The
// lock, not the process id in the name, tells: ids are reused, and a writer on another machine
// sharing the folder has ids of its own.

// Marks the temporary file just made at `fd` as held, for as long as it stays open. False when
// someone else holds it already: a cleaner that took it for stale, and removes it.
bool holdTemporary(int fd);

// Removes from `folder` (ending in "/", or empty for the working folder) every regular file
// named as a temporary file for the output named `base` that no writer holds. Links, folders,
// pipes and devices of such a name are left alone and never opened. Silent: a file that cannot
// be looked at, locked or removed stays, as cleaning is no part of a write.
void removeStaleTemporaries(const std::string& folder, std::string_view base);

}  // namespace catalog
