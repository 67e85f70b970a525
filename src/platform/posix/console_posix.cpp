#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/console.h"

namespace catalog {

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

// Terminals take the bytes as they come; their encoding is the user's to set. A descriptor is
// always the lowest free number, so the closed ones are taken in order.
void prepareConsole() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        const int taken = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (taken >= 0 && taken != fd) {
            ::close(taken);
        }
    }
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace catalog
