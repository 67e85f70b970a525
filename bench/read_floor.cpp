// The floor for reading a folder of small files on Linux: what the batch command is compared
// with. It lists the folder, sorts the files by inode, then opens, reads and closes every file
// on N threads, and does nothing else: no checks, no extraction.
//   read_floor [--uring] [--threads N] [--batch N] [--write BYTES PATH] DIR
// Plain calls by default; with --uring, each thread passes its files through io_uring, N files
// a batch, each a linked open, read and close on registered file slots. With --write it then
// does what any program must that leaves a file of BYTES whole: writes them to a new file
// beside PATH, flushes it to disk and renames it over PATH.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <liburing.h>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kReadSize = 128 * 1024;
constexpr std::size_t kSliceSize = 64 * 1024;
constexpr std::size_t kClosed = SIZE_MAX;

struct Entry {
    std::uint64_t inode;
    std::string name;
};

struct Options {
    bool uring = false;
    unsigned threads = 2;
    std::size_t batch = 32;
    std::size_t writeBytes = 0;
    const char* writePath = nullptr;
    const char* folder = nullptr;
};

[[noreturn]] void fail(const char* what, int error) {
    std::fprintf(stderr, "read_floor: %s: %s\n", what, std::strerror(error));
    std::exit(1);
}

std::vector<Entry> listFolder(int folder) {
    std::vector<Entry> entries;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const long got = ::syscall(SYS_getdents64, folder, buffer.data(), buffer.size());
        if (got < 0) {
            fail("getdents64", errno);
        }
        if (got == 0) {
            break;
        }
        for (long at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + at);
            if (entry->d_type == DT_REG) {
                entries.push_back({entry->d_ino, entry->d_name});
            }
            at += entry->d_reclen;
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.inode < b.inode; });
    return entries;
}

std::uint64_t readRest(int fd, char* buffer) {
    std::uint64_t total = 0;
    for (ssize_t got; (got = ::read(fd, buffer, kReadSize)) > 0;) {
        total += static_cast<std::uint64_t>(got);
    }
    return total;
}

std::uint64_t readPlain(int folder, const std::vector<Entry>& entries, std::size_t first,
                        std::size_t count, char* buffer) {
    std::uint64_t total = 0;
    for (std::size_t i = first; i < first + count; ++i) {
        const int fd = ::openat(folder, entries[i].name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            fail(entries[i].name.c_str(), errno);
        }
        total += readRest(fd, buffer);
        ::close(fd);
    }
    return total;
}

struct Ring {
    io_uring ring{};
    std::vector<char> slices;

    explicit Ring(std::size_t batch) : slices(batch * kSliceSize) {
        io_uring_params params{};
        params.flags =
            IORING_SETUP_SUBMIT_ALL | IORING_SETUP_SINGLE_ISSUER | IORING_SETUP_DEFER_TASKRUN;
        int result = ::io_uring_queue_init_params(static_cast<unsigned>(batch * 3), &ring, &params);
        if (result < 0) {
            fail("io_uring_queue_init_params", -result);
        }
        result = ::io_uring_register_files_sparse(&ring, static_cast<unsigned>(batch));
        if (result < 0) {
            fail("io_uring_register_files_sparse", -result);
        }
    }
    ~Ring() { ::io_uring_queue_exit(&ring); }

    // Files longer than a slice are read on with plain calls.
    std::uint64_t read(int folder, const std::vector<Entry>& entries, std::size_t first,
                       std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            io_uring_sqe* open = ::io_uring_get_sqe(&ring);
            ::io_uring_prep_openat_direct(open, folder, entries[first + i].name.c_str(), O_RDONLY,
                                          0, static_cast<unsigned>(i));
            open->flags |= IOSQE_IO_LINK | IOSQE_CQE_SKIP_SUCCESS;
            io_uring_sqe* read = ::io_uring_get_sqe(&ring);
            ::io_uring_prep_read(read, static_cast<int>(i), slices.data() + i * kSliceSize,
                                 kSliceSize, 0);
            read->flags |= IOSQE_FIXED_FILE | IOSQE_IO_HARDLINK;
            ::io_uring_sqe_set_data64(read, i);
            io_uring_sqe* close = ::io_uring_get_sqe(&ring);
            // The closes are waited for too: a slot's next open must not race its last close.
            ::io_uring_prep_close_direct(close, static_cast<unsigned>(i));
            ::io_uring_sqe_set_data64(close, kClosed);
        }
        ::io_uring_submit_and_wait(&ring, static_cast<unsigned>(2 * count));
        std::uint64_t total = 0;
        for (std::size_t seen = 0; seen < 2 * count;) {
            io_uring_cqe* cqe = nullptr;
            if (::io_uring_wait_cqe(&ring, &cqe) < 0) {
                continue;
            }
            const std::size_t i = ::io_uring_cqe_get_data64(cqe);
            ++seen;
            if (i == kClosed) {
                ::io_uring_cqe_seen(&ring, cqe);
                continue;
            }
            if (cqe->res < 0) {
                fail(entries[first + i].name.c_str(), -cqe->res);
            }
            total += static_cast<std::uint64_t>(cqe->res);
            if (static_cast<std::size_t>(cqe->res) == kSliceSize) {
                total += readOn(folder, entries[first + i].name.c_str());
            }
            ::io_uring_cqe_seen(&ring, cqe);
        }
        return total;
    }

    std::uint64_t readOn(int folder, const char* name) {
        const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::lseek(fd, static_cast<off_t>(kSliceSize), SEEK_SET) < 0) {
            fail(name, errno);
        }
        std::vector<char> buffer(kReadSize);
        const std::uint64_t total = readRest(fd, buffer.data());
        ::close(fd);
        return total;
    }
};

void work(const Options& options, int folder, const std::vector<Entry>& entries,
          std::atomic<std::size_t>& next, std::atomic<std::uint64_t>& bytes) {
    std::vector<char> buffer(kReadSize);
    std::vector<Ring> ring;
    if (options.uring) {
        ring.emplace_back(options.batch);
    }
    std::uint64_t total = 0;
    for (std::size_t first; (first = next.fetch_add(options.batch)) < entries.size();) {
        const std::size_t count = std::min(options.batch, entries.size() - first);
        total += options.uring ? ring[0].read(folder, entries, first, count)
                               : readPlain(folder, entries, first, count, buffer.data());
    }
    bytes += total;
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--uring") {
            options.uring = true;
        } else if (arg == "--threads" && i + 1 < argc) {
            options.threads = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--write" && i + 2 < argc) {
            options.writeBytes = static_cast<std::size_t>(std::strtoull(argv[++i], nullptr, 10));
            options.writePath = argv[++i];
        } else if (arg == "--batch" && i + 1 < argc) {
            options.batch = static_cast<std::size_t>(std::clamp(std::atoi(argv[++i]), 1, 256));
        } else {
            options.folder = argv[i];
        }
    }
    if (options.folder == nullptr) {
        std::fprintf(stderr, "usage: read_floor [--uring] [--threads N] [--batch N] "
                             "[--write BYTES PATH] DIR\n");
        std::exit(2);
    }
    return options;
}

void writeWhole(std::size_t bytes, const std::string& path) {
    const std::string temporary = path + ".floor-tmp";
    const std::string text(bytes, 'x');
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()) ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        fail(path.c_str(), errno);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    const int folder = ::open(options.folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        fail(options.folder, errno);
    }
    const std::vector<Entry> entries = listFolder(folder);
    std::atomic<std::size_t> next{0};
    std::atomic<std::uint64_t> bytes{0};
    {
        std::vector<std::jthread> threads;
        for (unsigned i = 1; i < options.threads; ++i) {
            threads.emplace_back([&] { work(options, folder, entries, next, bytes); });
        }
        work(options, folder, entries, next, bytes);
    }
    if (options.writePath != nullptr) {
        writeWhole(options.writeBytes, options.writePath);
    }
    std::printf("%zu files, %llu bytes\n", entries.size(),
                static_cast<unsigned long long>(bytes.load()));
    return 0;
}
