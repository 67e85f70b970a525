#include "collect/folder_index.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/folder.h"

namespace catalog {

namespace {

constexpr std::size_t kFilesBetweenQuestions = 4096;
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;  // far more than a name takes

}  // namespace

FolderIndex::FolderIndex(const Folder& folder, const std::function<bool()>& keepGoing) {
    struct Listed {
        std::uint64_t order;
        const char* name;  // in `pieces`
    };
    std::vector<Listed> listed;
    // The names as listed, in pieces that stay put: one growing string copies them again and again.
    std::vector<std::string> pieces;
    std::size_t bytes = 0;
    folder.forEachRegularFile(
        [&](const FolderEntry& entry) {
            const std::size_t size = std::strlen(entry.name) + 1;
            if (pieces.empty() || pieces.back().capacity() - pieces.back().size() < size) {
                pieces.emplace_back().reserve(kPieceBytes);
            }
            listed.push_back({entry.order, pieces.back().data() + pieces.back().size()});
            pieces.back().append(entry.name, size);
            bytes += size;
            return listed.size() % kFilesBetweenQuestions != 0 || keepGoing();
        },
        [this](const char* name) { m_subfolders.emplace_back(name); });
    std::ranges::sort(listed, {}, &Listed::order);
    // The folder lists its names in its own order (a hash, on most file systems), unrelated to
    // the reading order: every use of the names after this (opening the files, putting them in
    // byte order) would otherwise fetch each from a different place in memory.
    m_names.reserve(bytes);
    m_starts.reserve(listed.size() + 1);
    for (const Listed& entry : listed) {
        m_names.append(entry.name).push_back('\0');
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
