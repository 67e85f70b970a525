#include "collect/held_page.h"

#include <algorithm>
#include <iterator>

#include "collect/failure_text.h"
#include "platform/file_error.h"
#include "platform/paths.h"
#include "platform/system_error.h"

namespace catalog {

namespace {

// The page's name with the name of its folder, which is what a user looks for: the whole path
// is in the failure's own line.
std::string_view withItsFolder(std::string_view path) {
    const auto name = std::find_if(path.rbegin(), path.rend(), isPathSeparator);
    const auto folder =
        std::find_if(std::next(name, name == path.rend() ? 0 : 1), path.rend(), isPathSeparator);
    return path.substr(static_cast<std::size_t>(path.rend() - folder));
}

}  // namespace

std::string heldPageAdvice(const std::exception& failure, std::string_view again) {
    const auto* file = dynamic_cast<const FileError*>(&failure);
    // The listing's own write says what to do in its failure's words.
    if (file == nullptr || file->operation() == "write" ||
        !isHeldByAnotherProgram(file->errorNumber())) {
        return {};
    }
    return printable(std::string(withItsFolder(file->path())))
        .append(" is open in another program: close it there and ")
        .append(again);
}

}  // namespace catalog
