#include <array>
#include <fcntl.h>
#include <poll.h>
#include <sys/fanotify.h>
#include <unistd.h>

#include "support/access_gate.h"

namespace catalog::testing {

namespace {

std::string pathOf(int fd) {
    std::array<char, 4096> path{};
    const ssize_t length =
        ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path.data(), path.size());
    return length > 0 ? std::string(path.data(), static_cast<std::size_t>(length)) : std::string();
}

}  // namespace

AccessGate::AccessGate(const std::filesystem::path& place, Access access, Hold hold)
    : m_hold(std::move(hold)) {
    const int fanotify = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY | O_LARGEFILE);
    const std::uint64_t mask =
        (access == Access::Open ? FAN_OPEN_PERM : FAN_ACCESS_PERM) | FAN_EVENT_ON_CHILD;
    if (fanotify < 0) {
        return;
    }
    if (::fanotify_mark(fanotify, FAN_MARK_ADD, mask, AT_FDCWD, place.c_str()) != 0 ||
        ::pipe2(m_stop, O_CLOEXEC) != 0) {
        ::close(fanotify);
        return;
    }
    m_fanotify = fanotify;
    m_thread = std::jthread([this] { serve(); });
}

AccessGate::~AccessGate() {
    if (m_fanotify < 0) {
        return;
    }
    ::close(m_stop[1]);
    m_thread.join();
    // Closing the group lets every access still waiting go on.
    ::close(m_fanotify);
    ::close(m_stop[0]);
}

void AccessGate::answer(int fd) {
    const fanotify_response response{fd, FAN_ALLOW};
    [[maybe_unused]] const ssize_t written = ::write(m_fanotify, &response, sizeof response);
    ::close(fd);
}

// The gate's own thread: it never touches the watched files itself, which would wait for it.
void AccessGate::serve() {
    alignas(fanotify_event_metadata) char events[4096];
    for (;;) {
        pollfd ready[] = {{m_fanotify, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
        if (::poll(ready, 2, -1) < 0 || ready[1].revents != 0) {
            return;
        }
        const ssize_t length = ::read(m_fanotify, events, sizeof events);
        const auto* event = reinterpret_cast<const fanotify_event_metadata*>(events);
        for (ssize_t left = length; FAN_EVENT_OK(event, left);
             event = FAN_EVENT_NEXT(event, left)) {
            if (event->fd >= 0) {
                m_hold(pathOf(event->fd), event->pid);
                answer(event->fd);
            }
        }
    }
}

}  // namespace catalog::testing
