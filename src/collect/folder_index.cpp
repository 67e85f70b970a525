#include "collect/folder_index.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/folder.h"

namespace catalog {

namespace {

constexpr std::size_t kFilesBetweenQuestions = 4096;

// Files made one after another, as an export makes them, get inodes mostly in the order of
// their names: listed by inode, the names form a few runs already in order. Merging those runs
// takes a pass or two, where a sort would compare every name some seventeen times over. Any
// other order is sorted.
template <typename Iterator, typename Less>
void sortByRuns(Iterator first, Iterator last, Less less) {
    constexpr std::size_t kMostRuns = 64;
    std::vector<Iterator> bounds{first};
    while (bounds.back() != last) {
        if (bounds.size() > kMostRuns) {
            std::sort(first, last, less);
            return;
        }
        bounds.push_back(std::is_sorted_until(bounds.back(), last, less));
    }
    while (bounds.size() > 2) {
        std::vector<Iterator> merged{first};
        std::size_t run = 0;
        for (; run + 2 < bounds.size(); run += 2) {
            std::inplace_merge(bounds[run], bounds[run + 1], bounds[run + 2], less);
            merged.push_back(bounds[run + 2]);
        }
        if (run + 1 < bounds.size()) {
            merged.push_back(bounds.back());  // an odd run out, merged in the next round
        }
        bounds.swap(merged);
    }
}

}  // namespace

// A digit at a time from the lowest, and only the bits in which the keys differ from the
// smallest: a folder's inodes mostly lie close together, so two passes, each a count and a move,
// usually sort them, fewer than a comparison sort's.
void FolderIndex::sortByReadingOrder(std::vector<Entry>& entries) {
    constexpr unsigned kDigitBits = 11;
    constexpr std::size_t kDigits = std::size_t{1} << kDigitBits;
    if (entries.size() < 2) {
        return;
    }
    const auto [lowest, highest] =
        std::minmax_element(entries.begin(), entries.end(),
                            [](const Entry& a, const Entry& b) { return a.order < b.order; });
    const std::uint64_t base = lowest->order;
    const auto bits = static_cast<unsigned>(std::bit_width(highest->order - base));
    std::vector<Entry> other(entries.size());
    std::array<std::size_t, kDigits> start{};
    for (unsigned shift = 0; shift < bits; shift += kDigitBits) {
        const auto digitOf = [&](const Entry& entry) {
            return ((entry.order - base) >> shift) & (kDigits - 1);
        };
        start.fill(0);
        for (const Entry& entry : entries) {
            ++start[digitOf(entry)];
        }
        std::size_t before = 0;
        for (std::size_t& count : start) {
            before += std::exchange(count, before);
        }
        for (const Entry& entry : entries) {
            other[start[digitOf(entry)]++] = entry;
        }
        entries.swap(other);
    }
}

FolderIndex::FolderIndex(const Folder& folder, const std::function<bool()>& keepGoing) {
    folder.forEachRegularFile([&](const FolderEntry& entry) {
        const std::size_t length = std::strlen(entry.name);
        m_entries.push_back({entry.order, m_names.size(), length});
        m_names.append(entry.name, length + 1);
        return m_entries.size() % kFilesBetweenQuestions != 0 || keepGoing();
    });
    sortByReadingOrder(m_entries);
    gatherNamesInReadingOrder();
}

// The folder lists its names in its own order (a hash, on most file systems), unrelated to the
// reading order: every use of the names after this (opening the files, putting them in byte
// order) would otherwise fetch each from a different place in memory.
void FolderIndex::gatherNamesInReadingOrder() {
    std::string gathered;
    gathered.reserve(m_names.size());
    for (Entry& entry : m_entries) {
        const std::size_t offset = gathered.size();
        gathered.append(m_names, entry.nameOffset, entry.nameLength + 1);
        entry.nameOffset = offset;
    }
    m_names.swap(gathered);
}

std::vector<std::uint32_t> FolderIndex::nameOrder() const {
    // Sorting views with their index beside them keeps each comparison to the two names.
    struct Ref {
        std::string_view name;
        std::uint32_t index;
    };
    std::vector<Ref> refs;
    refs.reserve(m_entries.size());
    for (std::uint32_t i = 0; i < m_entries.size(); ++i) {
        refs.push_back({nameView(m_entries[i]), i});
    }
    sortByRuns(refs.begin(), refs.end(),
               [](const Ref& a, const Ref& b) { return a.name < b.name; });
    std::vector<std::uint32_t> order;
    order.reserve(refs.size());
    for (const Ref& ref : refs) {
        order.push_back(ref.index);
    }
    return order;
}

}  // namespace catalog
