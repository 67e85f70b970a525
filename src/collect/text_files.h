#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace catalog {

// Reads whole files into one buffer that is reused from file to file, so a run over many small
// files does not allocate per file. Bytes come back exactly as stored.
class FileReader {
public:
    // The file's whole content, valid until the next call. Throws FileError.
    std::string_view read(const std::string& path);
    // The same for the file `name` in the open folder `folder`, whose path `folderPath` (ending
    // in "/") only serves to name the file in an error.
    std::string_view read(int folder, std::string_view folderPath, const char* name);

private:
    void reserve(std::size_t capacity);

    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
};

// The whole text of the file at `filename`. An empty file gives the empty text. Throws FileError.
std::string getfile(const std::string& filename);

// Writes `strdata` to `filename`. A regular file, or a name where there is none yet, is
// replaced: the text goes to a temporary file beside it, which is flushed to disk and renamed
// over it, and the folder is flushed after; a failed or interrupted write (SIGINT, SIGTERM,
// SIGHUP) leaves the earlier file whole and no temporary file. The replacement keeps the
// permissions and, where the process may, the owner. Symbolic links stay links, dangling ones
// included: the file at the end of the chain is replaced or created. A character device, a
// FIFO or a socket is written into as it stands; a block device or a folder is refused.
// Throws FileError, running out of memory included.
void WriteTextFile(const std::string& filename, std::string_view strdata);
// The same with the text in pieces, written one after the other.
void WriteTextFile(const std::string& filename, std::span<const std::string_view> pieces);

// Writes all of `data` to an open descriptor, such as standard output. Throws FileError naming
// `name`.
void writeAll(int fd, std::string_view data, const std::string& name);
void writeAll(int fd, std::span<const std::string_view> pieces, const std::string& name);

}  // namespace catalog
