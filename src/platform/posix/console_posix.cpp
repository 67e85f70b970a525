#include <unistd.h>

#include "platform/console.h"

namespace catalog {

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

// Terminals take the bytes as they come; their encoding is the user's to set.
void prepareConsole() {}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace catalog
