#include "collect/folder_index.h"

#include <algorithm>
#include <cstring>

#include "collect/folder_listing.h"

namespace catalog {

namespace {

constexpr std::size_t kFilesBetweenQuestions = 4096;

}  // namespace

FolderIndex::FolderIndex(int folder, const std::function<bool()>& keepGoing) {
    forEachRegularFile(folder, [&](const FolderEntry& entry) {
        const std::size_t length = std::strlen(entry.name);
        m_entries.push_back({entry.inode, m_names.size(), length});
        m_names.append(entry.name, length + 1);
        return m_entries.size() % kFilesBetweenQuestions != 0 || keepGoing();
    });
    std::sort(m_entries.begin(), m_entries.end(),
              [](const Entry& a, const Entry& b) { return a.inode < b.inode; });
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
    std::vector<std::uint32_t> order;
    order.reserve(refs.size());
    for (const Ref& ref : refs) {
        order.push_back(ref.index);
    }
    return order;
}

}  // namespace catalog
