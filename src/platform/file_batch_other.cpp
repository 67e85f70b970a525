#include "platform/file_batch.h"

namespace catalog {

// Where there is no call that opens, reads and closes many files at once (Windows has none, and
// a Linux build may leave io_uring out), every file goes the plain way; the batch stays inactive
// and costs nothing.
struct FileBatch::Native {};

FileBatch::FileBatch(std::size_t, std::size_t) {}

FileBatch::~FileBatch() = default;

bool FileBatch::active() const {
    return false;
}

void FileBatch::read(const Folder&, std::span<const char* const>) {}

std::optional<std::string_view> FileBatch::whole(std::size_t) const {
    return std::nullopt;
}

}  // namespace catalog
