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
    struct Listed {
        std::uint64_t order;
        std::size_t start;  // in `names`
    };
    std::vector<Listed> listed;
    std::string names;
    folder.forEachRegularFile(
        [&](const FolderEntry& entry) {
            listed.push_back({entry.order, names.size()});
            names.append(entry.name, std::strlen(entry.name) + 1);
            return listed.size() % kFilesBetweenQuestions != 0 || keepGoing();
        },
        [this](const char* name) { m_subfolders.emplace_back(name); });
    std::sort(listed.begin(), listed.end(),
              [](const Listed& a, const Listed& b) { return a.order < b.order; });
    // The folder lists its names in its own order (a hash, on most file systems), unrelated to
    // the reading order: every use of the names after this (opening the files, putting them in
    // byte order) would otherwise fetch each from a different place in memory.
    m_names.reserve(names.size());
    m_starts.reserve(listed.size() + 1);
    for (const Listed& entry : listed) {
        m_names.append(names.c_str() + entry.start).push_back('\0');
        m_starts.push_back(m_names.size());
    }
}

std::vector<std::uint32_t> FolderIndex::nameOrder() const {
    // Sorting views with their index beside them keeps each comparison to the two names.
    struct Ref {
        std::string_view name;
        std::uint32_t index;
    };
    std::vector<Ref> refs;
    refs.reserve(size());
    for (std::uint32_t i = 0; i < size(); ++i) {
        refs.push_back({nameView(i), i});
    }
    std::sort(refs.begin(), refs.end(), [](const Ref& a, const Ref& b) { return a.name < b.name; });
    std::vector<std::uint32_t> order(refs.size());
    std::ranges::transform(refs, order.begin(), &Ref::index);
    return order;
}

}  // namespace catalog
