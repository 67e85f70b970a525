#pragma once

#include <string>

namespace catalog {

// The folder that holds the running executable, without a trailing separator. The data folder
// and the default output live beside the program, wherever it was started from. Throws
// std::system_error if the system cannot tell.
std::string programDirectory();

}  // namespace catalog
