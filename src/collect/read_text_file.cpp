#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "collect/file_error.h"
#include "collect/text_files.h"
#include "collect/unique_fd.h"

namespace catalog {

namespace {

constexpr std::size_t kMinimumCapacity = std::size_t{64} * 1024;

// Where a file is, for an error message: joined only when there is an error to report.
struct FileName {
    std::string_view folderPath;
    const char* name;

    std::string path() const { return std::string(folderPath).append(name); }
};

UniqueFd openForReading(int folder, const FileName& file) {
    // O_NONBLOCK: should a FIFO take a listed file's place, opening it must not wait for a
    // writer that never comes.
    UniqueFd fd(::openat(folder, file.name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd) {
        const int error = errno;
        throw FileError("open", file.path(), error);
    }
    return fd;
}

struct stat statusOf(int fd, const FileName& file) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        throw FileError("read", file.path(), error);
    }
    // Folders fail on read with EISDIR by themselves; devices and pipes can stream without end.
    if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
        throw FileError("read", file.path(), EINVAL);
    }
    return status;
}

}  // namespace

void FileReader::reserve(std::size_t capacity) {
    if (capacity <= m_capacity) {
        return;
    }
    m_buffer.reset(new char[capacity]);
    m_capacity = capacity;
}

std::string_view FileReader::read(const std::string& path) {
    return read(AT_FDCWD, {}, path.c_str());
}

std::string_view FileReader::read(int folder, std::string_view folderPath, const char* name) {
    const FileName file{folderPath, name};
    const UniqueFd fd = openForReading(folder, file);
    // The size is a hint: files in /proc report 0, and a file may grow while it is read.
    const auto expected = static_cast<std::size_t>(statusOf(fd.get(), file).st_size);
    reserve(std::max(expected + 1, kMinimumCapacity));
    std::size_t length = 0;
    for (;;) {
        if (length == m_capacity) {
            std::unique_ptr<char[]> larger(new char[m_capacity * 2]);
            std::copy_n(m_buffer.get(), length, larger.get());
            m_buffer = std::move(larger);
            m_capacity *= 2;
        }
        const ssize_t got = ::read(fd.get(), m_buffer.get() + length, m_capacity - length);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            throw FileError("read", file.path(), error);
        }
        length += static_cast<std::size_t>(got);
        // A short read that lands exactly on the size fstat gave is the end of a regular file;
        // it saves the extra read that would only return 0.
        if (got == 0 || (expected > 0 && length == expected)) {
            break;
        }
    }
    return {m_buffer.get(), length};
}

std::string getfile(const std::string& filename) {
    FileReader reader;
    return std::string(reader.read(filename));
}

}  // namespace catalog
