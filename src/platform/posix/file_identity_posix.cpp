#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_identity.h"

namespace catalog {

namespace {

constexpr int kMostLinks = 40;  // as many as the system itself follows

std::optional<struct stat> statusOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return status;
}

bool sameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// The folder part of `path`, ending in "/"; "./" for a bare name.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::optional<std::string> linkText(const std::string& link) {
    std::string text(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(link.c_str(), text.data(), text.size());
        if (length < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

// Where a chain of symbolic links that starts at `path` ends: the name a write replaces or
// creates, as the listing's writer finds it.
std::string endOfLinks(std::string path) {
    for (int hop = 0; hop < kMostLinks; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return path;
        }
        const std::optional<std::string> next = linkText(path);
        if (!next) {
            return path;
        }
        path = next->starts_with('/') ? *next : folderOf(path) + *next;
    }
    return path;
}

}  // namespace

bool sameFile(const std::string& one, const std::string& other) {
    const std::optional<struct stat> first = statusOf(one);
    const std::optional<struct stat> second = statusOf(other);
    return first && second && sameFile(*first, *second);
}

bool liesIn(const std::string& path, const std::string& folder) {
    return sameFile(folderOf(endOfLinks(path)), folder);
}

bool isRegularFile(const std::string& path) {
    const std::optional<struct stat> status = statusOf(path);
    return status && S_ISREG(status->st_mode);
}

}  // namespace catalog
