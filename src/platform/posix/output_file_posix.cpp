#include <cerrno>
#include <fcntl.h>
#include <new>
#include <optional>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "platform/file_error.h"
#include "platform/output_file.h"
#include "platform/posix/kept_permissions.h"
#include "platform/posix/link_chain.h"
#include "platform/posix/own_descriptor.h"
#include "platform/posix/stale_temporaries.h"
#include "platform/posix/unique_fd.h"
#include "platform/temporary_file.h"

namespace catalog {

namespace {

// How long a write into a pipe waits before it asks again whether to stop.
constexpr int kPollMilliseconds = 50;

// Waits a moment for `fd` to take more bytes, or just a moment when there is no descriptor yet
// (a FIFO without a reader); throws WriteStopped once the caller asks.
void waitForPipe(int fd, const StopQuery& stopped) {
    stopIfAsked(stopped);
    pollfd ready{fd, POLLOUT, 0};
    ::poll(fd >= 0 ? &ready : nullptr, fd >= 0 ? 1 : 0, kPollMilliseconds);
}

// The folder as a message names it: "." for the working one.
std::string shownFolder(const std::string& path) {
    const std::string folder = folderOf(path);
    return folder.empty() ? "." : folder.size() == 1 ? folder : folder.substr(0, folder.size() - 1);
}

bool sameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// A link swapped between looking at the output and writing it could otherwise make the write
// land on what the look refused, a device above all.
FileError changedMeanwhile(const std::string& filename) {
    return FileError("write", filename, EAGAIN, "the output changed while it was written");
}

// An output replaces a regular file in one step. Into a device, a pipe or a socket it is
// written as any program writes there: replacing /dev/null or a FIFO by a file would break
// whatever relies on them. Into one of the process's own descriptors it is written as it stands.
struct Target {
    enum class Kind { File, Stream, Descriptor };

    Kind kind;
    std::string path;                     // for a file, the end of its chain of links
    std::optional<struct stat> existing;  // what the output was when looked at, if anything
    int descriptor = -1;
};

// The output is looked at once, through its links; the steps after write to what was seen then.
// Opening a name of one of the process's own descriptors would open anew whatever it leads to:
// a file would be replaced and lose what the shell wrote before (`>> log`, `{ echo; ...; } >`).
// Such a name, or a link to one, is the descriptor itself.
Target resolveTarget(const std::string& filename) {
    std::optional<int> own;
    std::string end = endOfLinks(filename, [&own](const std::string& path) {
        own = ownDescriptorNamed(path);
        return own.has_value();
    });
    if (own) {
        return {Target::Kind::Descriptor, filename, std::nullopt, *own};
    }
    struct stat status {};
    if (::stat(filename.c_str(), &status) != 0) {
        const int error = errno;
        const bool namesAFile = !filename.empty() && filename.back() != '/';
        if (error != ENOENT || !namesAFile) {
            throw FileError("write", filename, error);
        }
        return {Target::Kind::File, std::move(end), std::nullopt};
    }
    if (S_ISDIR(status.st_mode)) {
        throw FileError("write", filename, EISDIR);
    }
    if (S_ISBLK(status.st_mode)) {
        throw FileError("write", filename, ENOTSUP, Refusal::BlockDevice);
    }
    if (S_ISREG(status.st_mode)) {
        struct stat atEnd {};
        if (::lstat(end.c_str(), &atEnd) == 0 && sameFile(atEnd, status)) {
            return {Target::Kind::File, std::move(end), status};
        }
        // The links do not spell out where the file is: a file in no folder any more, reached
        // through /proc (standard output sent to a deleted file or a memfd). No one else can
        // see it, so it is written into in place.
    }
    return {Target::Kind::Stream, filename, status};
}

// The temporary file's calls on POSIX, where it is held by a lock (holdTemporary).
struct PosixTemporary {
    using Path = std::string;
    using Handle = UniqueFd;

    mode_t mode;

    // One that a cleaner removed between its making and its holding is given up, as the name no
    // longer leads to it, and counts as a name taken.
    UniqueFd create(const std::string& path) const {
        UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        struct stat opened {};
        struct stat named {};
        if (fd && (!holdTemporary(fd.get()) || ::fstat(fd.get(), &opened) != 0 ||
                   ::lstat(path.c_str(), &named) != 0 || !sameFile(opened, named))) {
            fd.reset();
            errno = EEXIST;
        }
        return fd;
    }
    static bool nameTaken(int error) { return error == EEXIST; }
    static void remove(const std::string& path) { ::unlink(path.c_str()); }
    static const std::string& utf8(const std::string& path) { return path; }
    static unsigned long process() { return static_cast<unsigned long>(::getpid()); }
    static constexpr auto removeStale = &removeStaleTemporaries;
};

// The new name lives in the folder: until the folder reaches the disk, a power cut may bring
// back the earlier file, or none. Asked for, not required: the new listing is already in place
// and read by everyone, so a run that failed here would not have left the earlier one whole.
void syncFolder(const std::string& folder) {
    const UniqueFd fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) {
        ::fsync(fd.get());
    }
}

// Sends a new file's bytes to the disk while it is written, a part behind the writing, so that
// the flush before the rename has a part or two left to wait for, not the whole of a listing of
// many hundred MB: a stop asked then is seen within what the disk takes for them.
class Writeback {
public:
    Writeback(int fd, const std::string& filename) : m_fd(fd), m_filename(filename) {}

    // After the first `total` bytes are written: starts the new ones on their way, and waits
    // for those started the time before.
    void written(std::size_t total) {
        flush(m_started, total, SYNC_FILE_RANGE_WRITE);
        flush(m_waited, m_started,
              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        m_waited = m_started;
        m_started = total;
    }

private:
    // A failure is reported here: the final flush would no longer see it.
    void flush(std::size_t from, std::size_t to, unsigned int how) const {
        if (from < to) {
            failIf(::sync_file_range(m_fd, static_cast<off_t>(from), static_cast<off_t>(to - from),
                                     how) != 0 &&
                       errno != EINVAL && errno != ENOSYS,
                   m_filename);
        }
    }

    int m_fd;
    const std::string& m_filename;
    std::size_t m_started = 0;  // bytes given to the disk
    std::size_t m_waited = 0;   // bytes on the disk
};

// Within the system's limit on pieces a call, and large enough that calls are few.
constexpr std::size_t kPiecesPerWrite = 1024;

// The next part to write, from `offset` bytes into pieces[next]: up to kOutputPartBytes in up
// to kPiecesPerWrite runs. Lines that lie back to back in memory go out as one run: the
// system's cost is per run, and the pieces mostly follow each other in memory.
void nextPart(std::span<const std::string_view> pieces, std::size_t next, std::size_t offset,
              std::vector<iovec>& batch) {
    batch.clear();
    std::size_t room = kOutputPartBytes;
    for (std::size_t i = next; i < pieces.size() && room > 0; ++i) {
        const std::string_view piece = pieces[i].substr(i == next ? offset : 0).substr(0, room);
        room -= piece.size();
        if (!batch.empty() &&
            static_cast<const char*>(batch.back().iov_base) + batch.back().iov_len ==
                piece.data()) {
            batch.back().iov_len += piece.size();
            continue;
        }
        if (batch.size() == kPiecesPerWrite) {
            return;
        }
        batch.push_back({const_cast<char*>(piece.data()), piece.size()});
    }
}

// A part at a time, asking `stopped` before each; a short write resumes inside the piece it cut.
// `total` counts the bytes written so far, across every call for one output.
void writePieces(int fd, std::span<const std::string_view> pieces, const std::string& name,
                 const StopQuery& stopped, Writeback* writeback, std::size_t& total) {
    std::size_t next = 0;
    std::size_t offset = 0;  // bytes of pieces[next] already written
    std::vector<iovec> batch;
    while (next < pieces.size()) {
        stopIfAsked(stopped);
        nextPart(pieces, next, offset, batch);
        const ssize_t written = ::writev(fd, batch.data(), static_cast<int>(batch.size()));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN) {
                waitForPipe(fd, stopped);  // a FIFO's reader that is slow to take the bytes
                continue;
            }
            throwLastError("write", name);
        }
        total += static_cast<std::size_t>(written);
        if (writeback != nullptr) {
            writeback->written(total);
        }
        auto left = static_cast<std::size_t>(written);
        while (next < pieces.size() && left >= pieces[next].size() - offset) {
            left -= pieces[next].size() - offset;
            offset = 0;
            ++next;
        }
        offset += left;
    }
}

void writeAll(int fd, const PieceSource& source, const std::string& name,
              const StopQuery& stopped = {}, Writeback* writeback = nullptr) {
    std::size_t total = 0;
    for (auto pieces = source(); !pieces.empty(); pieces = source()) {
        writePieces(fd, pieces, name, stopped, writeback, total);
    }
}

// A sticky folder (/tmp, a shared drop folder) lets a user replace only the files they own:
// the output, writable as it may be, is another user's.
void failRename(const std::string& target, const std::string& filename) {
    const int error = errno;
    struct stat folder {};
    const std::string shown = shownFolder(target);
    if ((error == EPERM || error == EACCES) && ::stat(shown.c_str(), &folder) == 0 &&
        (folder.st_mode & S_ISVTX) != 0) {
        throw FileError("write", filename, error, Refusal::StickyFolder, shown);
    }
    throw FileError("write", filename, error);
}

// Mode 0666 lets the umask and the folder's default ACL decide, as for any new file: a new
// listing is made with its final permissions. One that replaces a file is made readable by its
// owner alone, and given the earlier file's permissions only once it is complete, as they may be
// narrower than the umask's.
void replaceFile(const Target& target, const std::string& filename, const PieceSource& pieces,
                 const StopQuery& stopped) {
    std::optional<KeptPermissions> kept;
    if (target.existing) {
        kept.emplace(target.path, *target.existing, filename);
    }
    TemporaryFile temporary(PosixTemporary{kept ? mode_t{0600} : mode_t{0666}}, target.path,
                            filename, shownFolder(target.path));
    Writeback writeback(temporary.handle(), filename);
    writeAll(temporary.handle(), pieces, filename, stopped, &writeback);
    if (kept) {
        kept->applyTo(temporary.handle(), filename);
    }
    stopIfAsked(stopped);
    failIf(::fsync(temporary.handle()) != 0, filename);
    struct stat now {};
    if (::lstat(target.path.c_str(), &now) == 0 && !S_ISREG(now.st_mode)) {
        throw changedMeanwhile(filename);
    }
    stopIfAsked(stopped);
    // Still open, and so held, until renamed: closed, it would be a stale file to a cleaner.
    if (::rename(temporary.path().c_str(), target.path.c_str()) != 0) {
        failRename(target.path, filename);
    }
    temporary.commit();
    // The bytes are on the disk already, and the listing in place: a late failure to close
    // changes neither.
    temporary.close();
    syncFolder(folderOf(target.path));
}

// A socket cannot be opened. At a path it is either one of this process's own descriptors
// (/dev/stdout when standard output is a socket) or a socket that takes connections there.
UniqueFd connectTo(const std::string& filename, const struct stat& socket) {
    for (const int own : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat status {};
        if (::fstat(own, &status) == 0 && sameFile(status, socket)) {
            UniqueFd copy(::fcntl(own, F_DUPFD_CLOEXEC, 0));
            failIf(!copy, filename);
            return copy;
        }
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (filename.size() >= sizeof address.sun_path) {
        throw FileError("write", filename, ENAMETOOLONG);
    }
    filename.copy(address.sun_path, filename.size());
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    failIf(!fd, filename);
    failIf(::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0,
           filename);
    return fd;
}

// A FIFO is opened without blocking, so that waiting for its reader can be given up: until one
// comes, the open fails with ENXIO. Its writes then stay non-blocking, for the same reason.
UniqueFd openFifo(const std::string& filename, const StopQuery& stopped) {
    for (;;) {
        UniqueFd fd(::open(filename.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
        if (fd || errno != ENXIO) {
            return fd;
        }
        waitForPipe(-1, stopped);
    }
}

// What was looked at, opened for writing: anything else is never written, nor truncated.
UniqueFd openSeen(const std::string& filename, const struct stat& seen, const StopQuery& stopped) {
    if (S_ISSOCK(seen.st_mode)) {
        return connectTo(filename, seen);
    }
    UniqueFd fd = S_ISFIFO(seen.st_mode)
                      ? openFifo(filename, stopped)
                      : UniqueFd(::open(filename.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    failIf(!fd, filename);
    struct stat opened {};
    failIf(::fstat(fd.get(), &opened) != 0, filename);
    if (!sameFile(opened, seen)) {
        throw changedMeanwhile(filename);
    }
    // A file in no folder holds what was written to it before; devices and pipes hold nothing.
    failIf(S_ISREG(opened.st_mode) && ::ftruncate(fd.get(), 0) != 0, filename);
    return fd;
}

// No temporary file and no rename: the bytes go straight in. A FIFO waits for its reader,
// as it would for any writer.
void writeIntoStream(const Target& target, const std::string& filename, const PieceSource& pieces,
                     const StopQuery& stopped) {
    UniqueFd fd = openSeen(filename, *target.existing, stopped);
    writeAll(fd.get(), pieces, filename, stopped);
    // Most devices, and every pipe and socket, have nothing to flush and refuse to be asked.
    failIf(::fsync(fd.get()) != 0 && errno != EINVAL && errno != ENOTSUP, filename);
    failIf(fd.close() != 0, filename);
}

}  // namespace

void refuseReadOnlyOutput(const std::string&) {}

void writeOutputFile(const std::string& filename, const PieceSource& pieces,
                     const std::function<bool()>& stopped) {
    try {
        const Target target = resolveTarget(filename);
        if (target.kind == Target::Kind::Descriptor) {
            writeAll(target.descriptor, pieces, filename, stopped);
        } else if (target.kind == Target::Kind::Stream) {
            writeIntoStream(target, filename, pieces, stopped);
        } else {
            replaceFile(target, filename, pieces, stopped);
        }
    } catch (const std::bad_alloc&) {
        throw FileError("write", filename, ENOMEM);
    }
}

void writeStandardOutput(const PieceSource& pieces) {
    writeAll(STDOUT_FILENO, pieces, "standard output");
}

// Without taking memory, as the message that memory ran out goes here too. The name exists
// before a failure, which must not change errno before it is read.
void writeStandardError(std::span<const std::string_view> pieces) {
    static const std::string kStandardError = "standard error";
    for (std::string_view piece : pieces) {
        while (!piece.empty()) {
            const ssize_t written = ::write(STDERR_FILENO, piece.data(), piece.size());
            if (written < 0 && errno != EINTR) {
                throwLastError("write", kStandardError);
            }
            piece.remove_prefix(written < 0 ? 0 : static_cast<std::size_t>(written));
        }
    }
}

}  // namespace catalog
