#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/console.h"

namespace catalog {

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

// Terminals take the bytes as they come; their encoding is the user's to set. A descriptor is
// always the lowest free number, so the closed ones are taken in order. Where the system has
// them, descriptors that only name a file (O_PATH) can be neither read nor written: /dev/stdin
// then fails as a closed one would, where /dev/null opened for writing would swallow an output.
void prepareConsole() {
#ifdef O_PATH
    constexpr int kNoInput = O_PATH;
    constexpr int kNoOutput = O_PATH;
#else
    constexpr int kNoInput = O_WRONLY;
    constexpr int kNoOutput = O_RDONLY;
#endif
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        const int taken = ::open("/dev/null", fd == STDIN_FILENO ? kNoInput : kNoOutput);
        if (taken >= 0 && taken != fd) {
            ::close(taken);
        }
    }
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

// A terminal whose size was never set answers 0 columns.
std::size_t standardErrorColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) {
        return 80;
    }
    return size.ws_col;
}

}  // namespace catalog
