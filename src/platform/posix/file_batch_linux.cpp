#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <liburing.h>
#include <memory>
#include <new>
#include <vector>

#include "platform/file_batch.h"
#include "platform/posix/folder_native.h"

namespace catalog {

namespace {

// A single read of more than this costs far more per byte on a warm file than several of it.
constexpr std::size_t kLargestSlice = 128 * 1024;
// Past this many files a batch, more in flight gains nothing and the buffer only grows.
constexpr std::size_t kMostFiles = 256;

// Each file is one chain of requests: open into its slot, check, read, close. Every request
// answers, a cancelled one too, so a batch waits for four answers a file. The close follows the
// read whatever that gave; a failed open or check cancels the rest of the chain.
enum Step : unsigned { kOpen = 0, kCheck = 1, kRead = 2, kClose = 3, kSteps = 4 };

// How batching proves itself: over a window of files, if most are left to the plain way (too
// large, links, not regular), each of those was opened twice, so the batch pauses for a while
// and then looks again. The window is one batch: in a folder of large files each file judged
// costs a wasted open and read, and a longer window only repeats the same verdict.
constexpr std::size_t kJudgedFiles = 32;
constexpr std::size_t kPausedFiles = 4096;

constexpr std::uint64_t kCleanUp = UINT64_MAX;

// Open as the plain way does (never waiting, not even for a FIFO), and besides:
// - O_NOFOLLOW: a link fails here and goes the plain way, so nothing reached through a link (a
//   device anyone may point to) is ever read by the batch. A device node itself can only be made
//   by a user who may make them; the plain way refuses it with its own check;
// - no O_CLOEXEC, which direct descriptors refuse: they are never in the process's table.
constexpr int kOpenFlags = O_RDONLY | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;

}  // namespace

struct FileBatch::Native {
    io_uring ring{};
    bool ready = false;
    std::size_t maxFiles = 0;
    std::size_t bytesPerFile = 0;
    std::unique_ptr<char[]> buffer;  // maxFiles slices of bytesPerFile
    std::vector<int> lengths;        // per file of the last batch; -1: not read whole
    std::vector<unsigned> leftOpen;  // slots whose check failed, their file still open
    std::size_t count = 0;           // files in the last batch
    std::size_t judged = 0;
    std::size_t leftToPlain = 0;
    std::size_t paused = 0;

    ~Native() {
        if (ready) {
            ::io_uring_queue_exit(&ring);
        }
    }

    bool setUp() {
        io_uring_params params{};
        // SUBMIT_ALL: a request refused at submission fails alone, so every chain queued is
        // in flight and answers. One submitting thread whose waits run the completions is the
        // cheapest set-up where the kernel has it (6.1 on); older ones take the plainer one.
        params.flags =
            IORING_SETUP_SUBMIT_ALL | IORING_SETUP_SINGLE_ISSUER | IORING_SETUP_DEFER_TASKRUN;
        const auto entries = static_cast<unsigned>(maxFiles * kSteps);
        int result = ::io_uring_queue_init_params(entries, &ring, &params);
        if (result == -EINVAL) {
            params = io_uring_params{};
            params.flags = IORING_SETUP_SUBMIT_ALL;
            result = ::io_uring_queue_init_params(entries, &ring, &params);
        }
        if (result < 0) {
            return false;  // ENOSYS, EPERM (seccomp, sysctl), ENOMEM, EMFILE
        }
        // Sparse slots exist only on kernels that also open into them (5.19 on); fewer
        // descriptors allowed than slots is EMFILE.
        if (::io_uring_register_files_sparse(&ring, static_cast<unsigned>(maxFiles)) < 0) {
            ::io_uring_queue_exit(&ring);
            return false;
        }
        return true;
    }

    char* slice(std::size_t i) { return buffer.get() + i * bytesPerFile; }

    bool queue(int folder, const char* name, std::size_t i) {
        if (::io_uring_sq_space_left(&ring) < kSteps) {
            return false;
        }
        io_uring_sqe* open = ::io_uring_get_sqe(&ring);
        io_uring_sqe* check = ::io_uring_get_sqe(&ring);
        io_uring_sqe* read = ::io_uring_get_sqe(&ring);
        io_uring_sqe* close = ::io_uring_get_sqe(&ring);
        const auto slot = static_cast<unsigned>(i);
        const auto fixed = static_cast<int>(slot);
        ::io_uring_prep_openat_direct(open, folder, name, kOpenFlags, 0, slot);
        open->flags |= IOSQE_IO_LINK;
        // A FIFO that took a listed file's place fails this advice (ESPIPE) before anything is
        // read from it; the advice itself changes nothing and is given without waiting.
        ::io_uring_prep_fadvise(check, fixed, 0, 0, POSIX_FADV_NORMAL);
        check->flags |= IOSQE_FIXED_FILE | IOSQE_IO_LINK;
        // Every file read whole ends in a short read, which would end a plain link there.
        ::io_uring_prep_read(read, fixed, slice(i), static_cast<unsigned>(bytesPerFile), 0);
        read->flags |= IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK;
        ::io_uring_prep_close_direct(close, slot);
        ::io_uring_sqe_set_data64(open, i * kSteps + kOpen);
        ::io_uring_sqe_set_data64(check, i * kSteps + kCheck);
        ::io_uring_sqe_set_data64(read, i * kSteps + kRead);
        ::io_uring_sqe_set_data64(close, i * kSteps + kClose);
        return true;
    }

    // A failed check cancels the close with the read: its file (a FIFO) is closed here, so that
    // every slot is empty between batches.
    bool closeLeftOpen() {
        for (const unsigned slot : leftOpen) {
            io_uring_sqe* close = ::io_uring_get_sqe(&ring);
            ::io_uring_prep_close_direct(close, slot);
            ::io_uring_sqe_set_data64(close, kCleanUp);
        }
        const std::size_t requests = leftOpen.size();
        leftOpen.clear();
        if (requests == 0) {
            return true;
        }
        const long taken = submit(requests);
        return taken >= 0 && drain(static_cast<std::size_t>(taken), 0) &&
               static_cast<std::size_t>(taken) == requests;
    }

    // Waits for the chains of the `files` files queued; false if the ring failed, which then
    // serves no more. A submission cut short (the kernel then waits for nothing) leaves at most
    // one chain cut: the whole chains before it may still write into their slices, so they are
    // waited for.
    bool complete(std::size_t files) {
        const long taken = submit(files * kSteps);
        if (taken < 0) {
            return false;
        }
        const std::size_t wholeChains = static_cast<std::size_t>(taken) / kSteps;
        return drain(wholeChains * kSteps, wholeChains) && wholeChains == files;
    }

    // Submits what is queued and waits for `answers`: the requests the kernel took, or -1.
    long submit(std::size_t answers) {
        int taken = ::io_uring_submit_and_wait(&ring, static_cast<unsigned>(answers));
        while (taken == -EINTR) {
            taken = ::io_uring_submit_and_wait(&ring, static_cast<unsigned>(answers));
        }
        return taken < 0 ? -1 : taken;
    }

    // Waits for `expected` answers: the clean-up's, or those of the first `wholeChains` files.
    bool drain(std::size_t expected, std::size_t wholeChains) {
        std::size_t done = 0;
        while (done < expected) {
            io_uring_cqe* cqe = nullptr;
            const int waited = ::io_uring_wait_cqe(&ring, &cqe);
            if (waited == -EINTR) {
                continue;
            }
            if (waited < 0) {
                return false;
            }
            unsigned head = 0;
            unsigned seen = 0;
            io_uring_for_each_cqe(&ring, head, cqe) {
                done += take(*cqe, wholeChains) ? 1 : 0;
                ++seen;
            }
            ::io_uring_cq_advance(&ring, seen);
        }
        return true;
    }

    // Whether the answer is one of those waited for.
    bool take(const io_uring_cqe& cqe, std::size_t wholeChains) {
        const std::uint64_t data = ::io_uring_cqe_get_data64(&cqe);
        if (data == kCleanUp) {
            return true;
        }
        const std::size_t i = data / kSteps;
        if (i >= wholeChains) {
            return false;
        }
        switch (data % kSteps) {
            case kCheck:
                if (cqe.res < 0 && cqe.res != -ECANCELED) {
                    leftOpen.push_back(static_cast<unsigned>(i));
                }
                break;
            case kRead:
                // A full slice may have more behind it; an empty one may be a device (made in
                // the folder by its owner), not a file: both go the plain way, which knows.
                if (cqe.res > 0 && static_cast<std::size_t>(cqe.res) < bytesPerFile) {
                    lengths[i] = cqe.res;
                }
                break;
            default:
                break;  // the open's and the close's: a failed open leaves nothing open
        }
        return true;
    }

    void judge() {
        judged += count;
        leftToPlain += static_cast<std::size_t>(
            std::count(lengths.begin(), lengths.begin() + static_cast<long>(count), -1));
        if (judged < kJudgedFiles) {
            return;
        }
        if (leftToPlain * 2 > judged) {
            paused = kPausedFiles;
        }
        judged = 0;
        leftToPlain = 0;
    }
};

FileBatch::FileBatch(std::size_t maxFiles, std::size_t bytesPerFile) {
    try {
        auto native = std::make_unique<Native>();
        native->maxFiles = std::clamp<std::size_t>(maxFiles, 1, kMostFiles);
        native->bytesPerFile = std::clamp<std::size_t>(bytesPerFile, 1, kLargestSlice);
        native->buffer.reset(new char[native->maxFiles * native->bytesPerFile]);
        native->lengths.assign(native->maxFiles, -1);
        native->ready = native->setUp();
        m_native = std::move(native);
    } catch (const std::bad_alloc&) {
        // No memory for the buffers: every file goes the plain way.
    }
}

FileBatch::~FileBatch() = default;

bool FileBatch::active() const {
    return m_native && m_native->ready;
}

void FileBatch::read(const Folder& folder, std::span<const char* const> names) {
    if (!m_native) {
        return;
    }
    Native& native = *m_native;
    native.count = std::min(names.size(), native.maxFiles);
    std::fill(native.lengths.begin(), native.lengths.end(), -1);
    if (native.paused > 0) {
        native.paused -= std::min(native.paused, names.size());
        return;
    }
    const int folderFd = folder.native().fd.get();
    if (!native.ready || folderFd < 0 || native.count == 0) {
        return;
    }
    std::size_t queued = 0;
    while (queued < native.count && native.queue(folderFd, names[queued], queued)) {
        ++queued;
    }
    if (!native.complete(queued) || !native.closeLeftOpen()) {
        // Whatever the ring still holds is released with it; the plain way reads every file.
        std::fill(native.lengths.begin(), native.lengths.end(), -1);
        ::io_uring_queue_exit(&native.ring);
        native.ready = false;
        return;
    }
    native.judge();
}

std::optional<std::string_view> FileBatch::whole(std::size_t i) const {
    if (!m_native || i >= m_native->count || m_native->lengths[i] < 0) {
        return std::nullopt;
    }
    return std::string_view(m_native->slice(i), static_cast<std::size_t>(m_native->lengths[i]));
}

}  // namespace catalog
