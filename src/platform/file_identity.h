#pragma once

#include <string>

namespace catalog {

// Files told apart by what they are rather than by how they are named: through links, hard
// links and "..", as the system itself resolves them.

// Whether `one` and `other` lead to the same file, links followed to their end: the same device
// and inode on POSIX, the same volume and file index on Windows. False when either cannot be
// looked at (nothing there, a link that leads nowhere, no permission).
bool sameFile(const std::string& one, const std::string& other);

// Whether the file that a write to `path` replaces, or creates, lies in `folder` itself: the
// folder holding it (after a chain of links at `path` itself, as a write follows them) is
// `folder`, compared by identity as sameFile compares files. False when either cannot be looked
// at.
bool liesIn(const std::string& path, const std::string& folder);

// Whether a regular file is at `path`, links followed. Nothing is opened for reading, so a FIFO
// or a device there is not disturbed.
bool isRegularFile(const std::string& path);

}  // namespace catalog
