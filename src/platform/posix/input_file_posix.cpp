#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_error.h"
#include "platform/input_file.h"
#include "platform/posix/folder_native.h"

namespace catalog {

namespace {

int openForReading(int folder, const char* name) {
    // O_NONBLOCK: should a FIFO take a listed file's place, opening it must not wait for a
    // writer that never comes.
    return ::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

int descriptorOf(std::intptr_t handle) {
    return static_cast<int>(handle);
}

std::int64_t nanosecondsOf(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

InputFile::State stateOf(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_size), static_cast<std::uint64_t>(status.st_ino),
            nanosecondsOf(status.st_mtim), nanosecondsOf(status.st_ctim)};
}

}  // namespace

// No file is ever held by another program here: a lock only binds those who ask for it.
InputFile::InputFile(const Folder& folder, const char* name, HeldFileWait* /*held*/)
    : m_folderPath(folder.path()),
      m_name(name),
      m_handle(openForReading(folder.native().fd.get(), name)) {
    checkRegular();
}

InputFile::InputFile(const std::string& path)
    : m_folderPath(), m_name(path.c_str()), m_handle(openForReading(AT_FDCWD, path.c_str())) {
    checkRegular();
}

InputFile::~InputFile() {
    if (m_handle >= 0) {
        ::close(descriptorOf(m_handle));
    }
}

std::string InputFile::path() const {
    return std::string(m_folderPath).append(m_name);
}

// The constructor's own check: a throw from here leaves no destructor to close the file.
void InputFile::checkRegular() {
    if (m_handle < 0) {
        const int error = errno;
        throw FileError("open", path(), error);
    }
    struct stat status {};
    int error = 0;
    if (::fstat(descriptorOf(m_handle), &status) != 0) {
        error = errno;
    } else if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
        // Folders fail on read with EISDIR by themselves; devices and pipes can stream without
        // end.
        error = EINVAL;
    }
    if (error != 0) {
        ::close(descriptorOf(m_handle));
        throw FileError("read", path(), error);
    }
    m_opened = stateOf(status);
}

InputFile::State InputFile::currentState() const {
    struct stat status {};
    if (::fstat(descriptorOf(m_handle), &status) != 0) {
        const int error = errno;
        throw FileError("read", path(), error);
    }
    return stateOf(status);
}

bool InputFile::changedSinceOpened() const {
    return currentState() != m_opened;
}

std::size_t InputFile::read(char* into, std::size_t most) {
    for (;;) {
        const ssize_t got = ::read(descriptorOf(m_handle), into, most);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            const int error = errno;
            throw FileError("read", path(), error);
        }
    }
}

std::size_t InputFile::readAt(std::uint64_t offset, char* into, std::size_t most) {
    for (;;) {
        const ssize_t got = ::pread(descriptorOf(m_handle), into, most, static_cast<off_t>(offset));
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            const int error = errno;
            throw FileError("read", path(), error);
        }
    }
}

}  // namespace catalog
