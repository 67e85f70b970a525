#include <cerrno>
#include <climits>
#include <system_error>
#include <unistd.h>

#include "platform/program_directory.h"

namespace catalog {

std::string programFile() {
    return "/proc/self/exe";
}

std::string programDirectory() {
    constexpr const char* kSelf = "/proc/self/exe";
    char path[PATH_MAX];
    const ssize_t length = ::readlink(kSelf, path, sizeof path);
    const auto fail = [](int error) {
        throw std::system_error(
            error, std::generic_category(),
            std::string("cannot find the program's folder from '") + kSelf + "'");
    };
    if (length < 0) {
        fail(errno);
    }
    if (static_cast<std::size_t>(length) == sizeof path) {
        fail(ENAMETOOLONG);
    }
    const std::string executable(path, static_cast<std::size_t>(length));
    const std::size_t slash = executable.rfind('/');
    return slash == 0 ? std::string("/") : executable.substr(0, slash);
}

}  // namespace catalog
