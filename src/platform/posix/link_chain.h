#pragma once

#include <functional>
#include <string>

namespace catalog {

// Symbolic links followed by hand, as the listing's writer follows them to find the file a
// write replaces or creates: a link that leads nowhere still names where the file would go.

constexpr int kMostLinks = 40;  // as many as the system itself follows

// The folder part of `path`, ending in "/"; empty for a bare name.
std::string folderOf(const std::string& path);

// The path at the end of the chain of symbolic links that starts at `filename`: the file to
// replace, or to create when the last link points nowhere; or the first path along it for
// which `stopAt`, when given, says true. Throws FileError("write", filename, ...) when a link
// cannot be read, ELOOP for a chain longer than the system follows.
std::string endOfLinks(const std::string& filename,
                       const std::function<bool(const std::string&)>& stopAt = {});

}  // namespace catalog
