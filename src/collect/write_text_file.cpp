#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/uio.h>
#include <vector>

#include "collect/file_error.h"
#include "collect/text_files.h"
#include "collect/unique_fd.h"

namespace catalog {

namespace {

// The file the text finally replaces, and the permissions of the one it replaces, if any.
struct Target {
    std::string path;
    std::optional<mode_t> permissions;
};

// The target itself, or the file a symbolic link at the target points to, so that the link
// stays a link. Fails early on targets that can never be replaced by a file.
Target resolveTarget(const std::string& filename) {
    struct stat status {};
    if (::stat(filename.c_str(), &status) != 0) {
        const bool namesAFile = !filename.empty() && filename.back() != '/';
        if (errno != ENOENT || !namesAFile) {
            throw FileError("write", filename, errno);
        }
        return {filename, std::nullopt};  // a new file, or a link that points nowhere yet
    }
    if (S_ISDIR(status.st_mode)) {
        throw FileError("write", filename, EISDIR);
    }
    char resolved[PATH_MAX];
    if (::realpath(filename.c_str(), resolved) == nullptr) {
        throw FileError("write", filename, errno);
    }
    return {resolved, status.st_mode & 07777};
}

// A temporary file in the target's folder, so that the final rename stays within one file
// system and is atomic.
class TemporaryFile {
public:
    TemporaryFile(const std::string& target, const std::string& filename) {
        const std::size_t slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        // Shortened so that a long target name still leaves room within the name length limit.
        const std::string base =
            target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; !m_fd; ++attempt) {
            m_path = folder;
            m_path.append(1, '.').append(base).append(".tmp");
            m_path.append(std::to_string(::getpid())).append(1, '-');
            m_path.append(std::to_string(counter++));
            // Mode 0666 lets the umask decide, as for any newly created file.
            m_fd.reset(::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (!m_fd && (errno != EEXIST || attempt > 100)) {
                throw FileError("write", filename, errno);
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!m_committed) {
            m_fd.reset();
            ::unlink(m_path.c_str());
        }
    }

    int fd() const { return m_fd.get(); }
    const std::string& path() const { return m_path; }
    int close() { return m_fd.close(); }
    void commit() { m_committed = true; }

private:
    std::string m_path;
    UniqueFd m_fd;
    bool m_committed = false;
};

// Within the system's limit on pieces a call, and large enough that calls are few.
constexpr std::size_t kPiecesPerWrite = 1024;

void failIf(bool failed, const std::string& filename) {
    if (failed) {
        throw FileError("write", filename, errno);
    }
}

}  // namespace

void writeAll(int fd, std::string_view data, const std::string& name) {
    writeAll(fd, std::span<const std::string_view>(&data, 1), name);
}

// Many pieces go out in each system call; a short write resumes inside the piece it cut.
void writeAll(int fd, std::span<const std::string_view> pieces, const std::string& name) {
    std::size_t next = 0;
    std::size_t offset = 0;  // bytes of pieces[next] already written
    std::vector<iovec> batch;
    while (next < pieces.size()) {
        batch.clear();
        for (std::size_t i = next; i < pieces.size() && batch.size() < kPiecesPerWrite; ++i) {
            const std::string_view piece = pieces[i].substr(i == next ? offset : 0);
            batch.push_back({const_cast<char*>(piece.data()), piece.size()});
        }
        const ssize_t written = ::writev(fd, batch.data(), static_cast<int>(batch.size()));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError("write", name, errno);
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

void WriteTextFile(const std::string& filename, std::string_view strdata) {
    WriteTextFile(filename, std::span<const std::string_view>(&strdata, 1));
}

void WriteTextFile(const std::string& filename, std::span<const std::string_view> pieces) {
    const Target target = resolveTarget(filename);
    TemporaryFile temporary(target.path, filename);
    if (target.permissions) {
        failIf(::fchmod(temporary.fd(), *target.permissions) != 0, filename);
    }
    writeAll(temporary.fd(), pieces, filename);
    failIf(::fsync(temporary.fd()) != 0, filename);
    failIf(temporary.close() != 0, filename);
    failIf(::rename(temporary.path().c_str(), target.path.c_str()) != 0, filename);
    temporary.commit();
}

}  // namespace catalog
