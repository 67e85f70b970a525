#include "collect/folder_listing.h"

#include <algorithm>

#include "platform/folder.h"

namespace catalog {

std::vector<std::string> FolderToTabs(const std::string& Path) {
    std::vector<std::string> names;
    const Folder folder = Folder::open(Path);
    folder.forEachRegularFile([&names](const FolderEntry& entry) {
        names.emplace_back(entry.name);
        return true;
    });
    // Directory order differs between machines and file systems; the rows must not.
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace catalog
