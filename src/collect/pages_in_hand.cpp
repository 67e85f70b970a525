#include "collect/pages_in_hand.h"

#include <string_view>

namespace catalog {

// A look pairs no page's name with another's figures: the page's place changes under a version
// that is odd meanwhile, as a sequence lock does it; its bytes read only grow within a page. The
// figures are stored with release and loaded with acquire, so that a look that sees a new
// figure also sees the version that came before it (and no fence, which the thread sanitizer
// cannot follow, is needed).
void PageInHand::opened(const char* name, std::uint64_t size) {
    const std::uint64_t version = m_version.load(std::memory_order_relaxed);
    m_version.store(version + 1, std::memory_order_relaxed);
    m_name.store(name, std::memory_order_release);
    m_size.store(size, std::memory_order_release);
    m_read.store(0, std::memory_order_release);
    m_began.store(kNotBegun, std::memory_order_release);
    m_version.store(version + 2, std::memory_order_release);
}

void PageInHand::blockRead(std::uint64_t read) {
    m_read.store(read, std::memory_order_release);
    const std::uint64_t size = m_size.load(std::memory_order_relaxed);
    if ((size == 0 || read < size) && m_began.load(std::memory_order_relaxed) == kNotBegun) {
        m_began.store(Clock::now().time_since_epoch().count(), std::memory_order_release);
    }
}

void PageInHand::closed() noexcept {
    m_name.store(nullptr, std::memory_order_release);
}

std::optional<PageInHand::Seen> PageInHand::seen() const {
    const std::uint64_t version = m_version.load(std::memory_order_acquire);
    const Seen seen{m_name.load(std::memory_order_acquire), m_read.load(std::memory_order_acquire),
                    m_size.load(std::memory_order_acquire),
                    Clock::time_point(Clock::duration(m_began.load(std::memory_order_acquire)))};
    const bool steady = version % 2 == 0 && m_version.load(std::memory_order_relaxed) == version;
    if (!steady || seen.name == nullptr || seen.began.time_since_epoch().count() == kNotBegun) {
        return std::nullopt;
    }
    return seen;
}

void SlowPages::report(CollectionClient& client) {
    const PageInHand::Clock::time_point now = PageInHand::Clock::now();
    std::optional<PageInHand::Seen> slowest;
    for (const PageInHand& page : m_pages) {
        const std::optional<PageInHand::Seen> seen = page.seen();
        if (seen && now - seen->began >= m_after && (!slowest || seen->began < slowest->began)) {
            slowest = seen;
        }
    }
    if (slowest) {
        m_told = true;
        client.slowPage(std::string_view(slowest->name), slowest->read, slowest->size);
    } else if (m_told) {
        m_told = false;
        client.slowPageOver();
    }
}

}  // namespace catalog
