#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_error.h"
#include "platform/posix/link_chain.h"

namespace catalog {

namespace {

std::string linkText(const std::string& link, const std::string& filename) {
    std::string text(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(link.c_str(), text.data(), text.size());
        if (length < 0) {
            throwLastError("write", filename);
        }
        if (static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

}  // namespace

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<std::string> linkTarget(const std::string& path, const std::string& filename) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return std::nullopt;
    }
    std::string next = linkText(path, filename);
    return next.starts_with('/') ? next : folderOf(path) + next;
}

std::string endOfLinks(const std::string& filename) {
    std::string path = filename;
    for (int hop = 0;; ++hop) {
        std::optional<std::string> next = linkTarget(path, filename);
        if (!next) {
            return path;
        }
        if (hop == kMostLinks) {
            throw FileError("write", filename, ELOOP);
        }
        path = std::move(*next);
    }
}

}  // namespace catalog
