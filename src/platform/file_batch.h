#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace catalog {

class Folder;

// Reads many small files of one folder together, where the system can do that in fewer calls
// than one open, read and close each (io_uring on Linux). It only ever speeds up the plain way
// (InputFile): any file it did not read completely, for whatever reason, is left to that way,
// which also gives the exact error of a file that fails. Make and use it on one thread, one per
// reading thread; its buffers are allocated once and reused.
class FileBatch {
public:
    // Up to `maxFiles` files a batch, of which those shorter than `bytesPerFile` are read whole.
    // Never throws for want of the system's support: the batch is then inactive.
    FileBatch(std::size_t maxFiles, std::size_t bytesPerFile);
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;
    ~FileBatch();

    // False when the system cannot batch (no io_uring: not built in, refused by a seccomp filter
    // or by sysctl, too few descriptors allowed); read() then reads nothing, and the caller may
    // as well not call it.
    bool active() const;

    // Reads the files `names` (at most maxFiles) of `folder` together. Never throws; the names
    // must stay valid until it returns. Once most files proved too large for batching to pay, it
    // leaves the next few thousand to the plain way, counting them, and then tries again: so an
    // active batch is called for every file, paused or not.
    void read(const Folder& folder, std::span<const char* const> names);

    // The whole content of names[i] of the last read() when it was read completely (a regular
    // file shorter than bytesPerFile), or nullopt: then the caller reads that file the plain
    // way. Valid until the next read().
    std::optional<std::string_view> whole(std::size_t i) const;

    struct Native;

private:
    std::unique_ptr<Native> m_native;
};

}  // namespace catalog
