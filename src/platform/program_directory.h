#pragma once

#include <string>

namespace catalog {

// The folder that holds the running executable, without a trailing separator. The data folder
// and the default output live beside the program, wherever it was started from. Throws
// std::system_error if the system cannot tell.
std::string programDirectory();

// A path that leads to the running executable's own file, for telling it from other files
// (sameFile): on Linux /proc/self/exe, which leads there even once the file has been renamed.
// Empty if the system cannot tell.
std::string programFile();

}  // namespace catalog
