#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace catalog {

class Folder;

// The regular files of an open folder, listed once and kept compact (all names in one block),
// in the order the file system serves fastest (inodes, on POSIX): reading files in that order
// keeps the file system's tables warm.
class FolderIndex {
public:
    // Lists `folder`; `keepGoing` is asked now and then, and a false stops reading the names.
    // Throws FileError.
    FolderIndex(const Folder& folder, const std::function<bool()>& keepGoing);

    std::size_t size() const { return m_entries.size(); }
    // The i-th name in reading order, NUL-terminated.
    const char* name(std::size_t i) const { return m_names.data() + m_entries[i].nameOffset; }
    std::string_view nameView(std::size_t i) const { return nameView(m_entries[i]); }
    // The bytes of all names together, terminators left out.
    std::size_t nameBytes() const { return m_names.size() - m_entries.size(); }
    // Indexes of the names in their byte order, the order of the rows.
    std::vector<std::uint32_t> nameOrder() const;
    // The folder's subfolders, met on the way, whose pages a run does not read.
    const std::vector<std::string>& subfolders() const { return m_subfolders; }

private:
    struct Entry {
        std::uint64_t order;
        std::size_t nameOffset;
        std::size_t nameLength;
    };

    void gatherNamesInReadingOrder();

    std::string_view nameView(const Entry& entry) const {
        return {m_names.data() + entry.nameOffset, entry.nameLength};
    }

    std::string m_names;
    std::vector<Entry> m_entries;
    std::vector<std::string> m_subfolders;
};

}  // namespace catalog
