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

    std::size_t size() const { return m_starts.size() - 1; }
    // The i-th name in reading order, NUL-terminated.
    const char* name(std::size_t i) const { return m_names.data() + m_starts[i]; }
    std::string_view nameView(std::size_t i) const {
        return {name(i), m_starts[i + 1] - m_starts[i] - 1};
    }
    // The bytes of all names together, terminators left out.
    std::size_t nameBytes() const { return m_names.size() - size(); }
    // Indexes of the names in their byte order, the order of the rows.
    std::vector<std::uint32_t> nameOrder() const;
    // The folder's subfolders, met on the way, whose pages a run does not read.
    const std::vector<std::string>& subfolders() const { return m_subfolders; }

private:
    std::string m_names;  // each ended by its NUL, in reading order
    // Where each name starts in m_names, and where one after the last would: a name ends where
    // the next starts. Kept for the whole run, so no more than that per file.
    std::vector<std::size_t> m_starts{0};
    std::vector<std::string> m_subfolders;
};

}  // namespace catalog
