#pragma once

#include <unistd.h>
#include <utility>

namespace catalog {

// Owns a file descriptor and closes it on every way out of a scope.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

    // Gives up ownership, for a callee that takes the descriptor over.
    int release() { return std::exchange(m_fd, -1); }

    // Closes now, for callers that must know whether the close itself failed.
    int close() { return ::close(std::exchange(m_fd, -1)); }

    void reset(int fd = -1) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

}  // namespace catalog
