#include <cstdlib>
#include <memory>

#include "platform/posix/link_chain.h"
#include "platform/shown_path.h"

namespace catalog {

std::string shownPath(const std::string& path) {
    const std::string folder = folderOf(path);
    const std::unique_ptr<char, decltype(&std::free)> resolved(
        ::realpath(folder.empty() ? "." : folder.c_str(), nullptr), &std::free);
    if (!resolved) {
        return path;
    }
    std::string shown(resolved.get());
    if (!shown.ends_with('/')) {
        shown += '/';  // "/" itself ends in one
    }
    return shown.append(path, folder.size());
}

}  // namespace catalog
