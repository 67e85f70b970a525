#pragma once

#include <optional>
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

// Whether the file at `path` (links followed) has a name of its own in `folder` itself as well: a
// hard link. A write into the file, as standard output's is, changes that name's file too; a
// replace, as a named output's is, does not. Looked for only when the file has several names.
bool hasNameIn(const std::string& path, const std::string& folder);

// A name that leads to the regular file standard output writes into, for looking at that file as
// sameFile and liesIn look at any other ("/proc/self/fd/1" on Linux, where the system follows it
// to the file, and the file's final path on Windows); nothing when standard output is no regular
// file (a pipe, a terminal, a socket, a device, none at all), which no listing can replace.
std::optional<std::string> standardOutputFile();

}  // namespace catalog
