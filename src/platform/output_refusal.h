#pragma once

#include <string>

namespace catalog {

// The detail of a failure to make the file that replaces the output in `folder`: the output
// itself may well be writable, so the system's bare "Permission denied" would leave the user
// looking at the wrong file.
std::string newFilesRefused(const std::string& folder);

// The detail of a refusal to replace the output `name` (the file's own name) marked read-only
// (Windows): the user marked it so, and a listing written over it would drop the mark.
std::string readOnlyRefused(const std::string& name);

}  // namespace catalog
