// Reference routines for the tests, the fuzzer and the benchmarks: see folder_to_tabs.h.
#include "reference/folder_to_tabs.h"

#include "collect/folder_index.h"
#include "platform/folder.h"

namespace catalog {

std::vector<std::string> FolderToTabs(const std::string& Path) {
    const Folder folder = Folder::open(Path);
    const FolderIndex index(folder, [] { return true; });
    std::vector<std::string> names;
    for (const std::uint32_t i : index.nameOrder()) {
        names.emplace_back(index.nameView(i));
    }
    return names;
}

}  // namespace catalog
