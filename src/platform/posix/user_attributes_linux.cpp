#include <cerrno>
#include <optional>
#include <string_view>
#include <sys/xattr.h>

#include "platform/posix/user_attributes.h"

namespace catalog {

namespace {

constexpr std::string_view kUserNamespace = "user.";

// A list or value that grows between asking its size and reading it is asked for again, a few
// times; nothing is kept when it goes on growing, or cannot be read at all.
template <typename Read>
std::optional<std::string> readGrowing(const Read& read) {
    std::string bytes;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = read(bytes.data(), bytes.size());
        if (size >= 0 && static_cast<std::size_t>(size) <= bytes.size()) {
            bytes.resize(static_cast<std::size_t>(size));
            return bytes;
        }
        if (size < 0 && errno != ERANGE) {
            return std::nullopt;
        }
        bytes.assign(size < 0 ? bytes.size() * 2 + 256 : static_cast<std::size_t>(size), '\0');
    }
    return std::nullopt;
}

}  // namespace

UserAttributes userAttributesOf(const std::string& path) {
    const std::string names = readGrowing([&path](char* buffer, std::size_t size) {
                                  return ::llistxattr(path.c_str(), buffer, size);
                              }).value_or(std::string());
    UserAttributes attributes;
    for (std::size_t at = 0; at < names.size();) {
        const std::string name(names.c_str() + at);
        at += name.size() + 1;
        if (!name.starts_with(kUserNamespace)) {
            continue;
        }
        std::optional<std::string> value =
            readGrowing([&path, &name](char* buffer, std::size_t size) {
                return ::lgetxattr(path.c_str(), name.c_str(), buffer, size);
            });
        if (value) {
            attributes.emplace_back(name, std::move(*value));
        }
    }
    return attributes;
}

void giveUserAttributes(int fd, const UserAttributes& attributes) {
    for (const auto& [name, value] : attributes) {
        // ENOTSUP, EPERM, E2BIG, ENOSPC...: that one is left behind, the write goes on.
        [[maybe_unused]] const int set =
            ::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0);
    }
}

}  // namespace catalog
