// The pages a run's reading threads have in hand, so that the calling thread can tell of one
// that takes long to read: a count of pages stands still for as long as it is read.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "collect/collection_run.h"
#include "collect/record_reader.h"

namespace catalog {

// One reading thread's page, written by that thread alone, once per block, and read by the
// calling thread at any time. The name points into the run's list of names, which lasts while
// the threads read.
class PageInHand final : public PageWatch {
public:
    using Clock = std::chrono::steady_clock;

    void opened(const char* name, std::uint64_t size) override;
    // The page begins to count once its first block is read and more is to come: a page read in
    // one block, as most are, never reads the clock.
    void blockRead(std::uint64_t read) override;
    void closed() noexcept override;

    struct Seen {
        const char* name = nullptr;
        std::uint64_t read = 0;
        std::uint64_t size = 0;
        Clock::time_point began;
    };
    // The page in hand, once it has begun to count.
    std::optional<Seen> seen() const;

private:
    static constexpr Clock::rep kNotBegun = Clock::duration::min().count();

    // Odd while a page is being put in place: a look that saw it change sees nothing.
    std::atomic<std::uint64_t> m_version{0};
    std::atomic<const char*> m_name{nullptr};
    std::atomic<std::uint64_t> m_size{0};
    std::atomic<std::uint64_t> m_read{0};
    std::atomic<Clock::rep> m_began{kNotBegun};
};

// Every reading thread's page, and what the calling thread told its client of them.
class SlowPages {
public:
    // Pages read for longer than `after` are slow.
    explicit SlowPages(PageInHand::Clock::duration after) : m_after(after) {}

    // Room for `threads` pages, made before any thread reads.
    void expect(std::size_t threads) { m_pages = std::vector<PageInHand>(threads); }
    PageInHand& of(std::size_t thread) { return m_pages[thread]; }

    // On the calling thread: tells `client` of the slow page read longest, where there is one,
    // else that the last one told of is over.
    void report(CollectionClient& client);
    // A slow page was told of and not yet said to be over.
    bool told() const { return m_told; }

private:
    PageInHand::Clock::duration m_after;
    std::vector<PageInHand> m_pages;
    bool m_told = false;
};

}  // namespace catalog
