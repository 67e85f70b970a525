#include "collect/folder_index.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/folder.h"

namespace catalog {

namespace {

constexpr std::size_t kFilesBetweenQuestions = 4096;

}  // namespace

FolderIndex::FolderIndex(const Folder& folder, const std::function<bool()>& keepGoing) {
    folder.forEachRegularFile(
        [&](const FolderEntry& entry) {
            const std::size_t length = std::strlen(entry.name);
            m_entries.push_back({entry.order, m_names.size(), length});
            m_names.append(entry.name, length + 1);
            return m_entries.size() % kFilesBetweenQuestions != 0 || keepGoing();
        },
        [this](const char* name) { m_subfolders.emplace_back(name); });
    std::sort(m_entries.begin(), m_entries.end(),
              [](const Entry& a, const Entry& b) { return a.order < b.order; });
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
    std::sort(refs.begin(), refs.end(), [](const Ref& a, const Ref& b) { return a.name < b.name; });
    std::vector<std::uint32_t> order(refs.size());
    std::ranges::transform(refs, order.begin(), &Ref::index);
    return order;
}

}  // namespace catalog
