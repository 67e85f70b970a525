#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_error.h"
#include "platform/posix/link_chain.h"

namespace catalog {

namespace {

// Where the symbolic link at `path` leads; nullopt when `path` is no link.
std::optional<std::string> linkTarget(const std::string& path, const std::string& filename) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return std::nullopt;
    }
    std::string text(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
        if (length < 0) {
            throwLastError("write", filename);
        }
        if (static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            return text.starts_with('/') ? text : folderOf(path) + text;
        }
        text.resize(text.size() * 2);
    }
}

}  // namespace

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string endOfLinks(const std::string& filename,
                       const std::function<bool(const std::string&)>& stopAt) {
    std::string path = filename;
    for (int hop = 0; !stopAt || !stopAt(path); ++hop) {
        std::optional<std::string> next = linkTarget(path, filename);
        if (!next) {
            break;
        }
        if (hop == kMostLinks) {
            throw FileError("write", filename, ELOOP);
        }
        path = std::move(*next);
    }
    return path;
}

}  // namespace catalog
