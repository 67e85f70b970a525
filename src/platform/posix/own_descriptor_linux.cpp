#include <charconv>
#include <climits>
#include <cstdlib>
#include <linux/magic.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "platform/file_identity.h"
#include "platform/posix/own_descriptor.h"

namespace catalog {

namespace {

// As the proc file system spells a descriptor: digits, without a leading zero.
std::optional<int> descriptorNumber(std::string_view name) {
    if (name.empty() || name.size() > 9 || (name.size() > 1 && name.front() == '0') ||
        name.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    int number = 0;
    std::from_chars(name.data(), name.data() + name.size(), number);
    return number;
}

// Whether `folder`, a path without links in a proc file system, is this process's folder of
// descriptors: PROC/PID/fd, or PROC/PID/task/TID/fd of one of its threads, which share it.
bool isOwnDescriptorFolder(std::string_view folder) {
    if (!folder.ends_with("/fd")) {
        return false;
    }
    folder.remove_suffix(3);
    std::string process(1, '/');
    process += std::to_string(::getpid());
    if (folder.ends_with(process)) {
        return true;
    }
    const std::size_t task = folder.rfind("/task/");
    return task != std::string_view::npos && folder.substr(0, task).ends_with(process) &&
           descriptorNumber(folder.substr(task + 6)).has_value();
}

}  // namespace

// The folder is resolved by the system, so that "..", links such as /proc/self and /dev/fd,
// and the working directory count as they do for the open that the name would otherwise get.
std::optional<int> ownDescriptorNamed(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::optional<int> number =
        descriptorNumber(std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1));
    if (!number) {
        return std::nullopt;
    }
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    char resolved[PATH_MAX];
    struct statfs system {};
    if (::realpath(folder.c_str(), resolved) == nullptr || ::statfs(resolved, &system) != 0 ||
        system.f_type != PROC_SUPER_MAGIC || !isOwnDescriptorFolder(resolved)) {
        return std::nullopt;
    }
    return number;
}

// The shell opened the file, so its name may be any: the descriptor's own name in /proc leads to
// it, links and hard links resolved, even once the file is in no folder any more.
std::optional<std::string> standardOutputFile() {
    struct stat status {};
    if (::fstat(STDOUT_FILENO, &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return "/proc/self/fd/" + std::to_string(STDOUT_FILENO);
}

}  // namespace catalog
