// Reads every file of a folder as the batch command's reading threads would, either each file
// the plain way (InputFile) or through FileBatch with the plain way for what it leaves: whether
// batching pays, before the collection core uses it.
//   file_batch_bench [--batch] [--threads N] [--files N] [--slice BYTES] DIR
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_batch.h"
#include "platform/folder.h"
#include "platform/input_file.h"

namespace {

constexpr std::size_t kReadSize = 128 * 1024;

struct Options {
    bool batch = false;
    unsigned threads = 2;
    std::size_t files = 32;
    std::size_t slice = 64 * 1024;
    std::string folder;
};

struct Files {
    std::vector<std::string> names;
    std::vector<const char*> pointers;
};

Files listByOrder(const catalog::Folder& folder) {
    std::vector<std::pair<std::uint64_t, std::string>> entries;
    folder.forEachRegularFile([&](const catalog::FolderEntry& entry) {
        entries.emplace_back(entry.order, entry.name);
        return true;
    });
    std::sort(entries.begin(), entries.end());
    Files files;
    for (auto& entry : entries) {
        files.names.push_back(std::move(entry.second));
    }
    for (const std::string& name : files.names) {
        files.pointers.push_back(name.c_str());
    }
    return files;
}

std::uint64_t readPlain(const catalog::Folder& folder, const char* name, char* buffer) {
    catalog::InputFile file(folder, name);
    std::uint64_t total = 0;
    for (std::size_t got; (got = file.read(buffer, kReadSize)) > 0;) {
        total += got;
    }
    return total;
}

void work(const Options& options, const catalog::Folder& folder, const Files& files,
          std::atomic<std::size_t>& next, std::atomic<std::uint64_t>& bytes) {
    std::vector<char> buffer(kReadSize);
    catalog::FileBatch batch(options.files, options.slice);
    std::uint64_t total = 0;
    const std::size_t count = files.pointers.size();
    for (std::size_t first; (first = next.fetch_add(options.files)) < count;) {
        const std::span<const char* const> names(files.pointers.data() + first,
                                                 std::min(options.files, count - first));
        if (options.batch && batch.active()) {
            batch.read(folder, names);
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            const auto whole = options.batch ? batch.whole(i) : std::nullopt;
            total += whole ? whole->size() : readPlain(folder, names[i], buffer.data());
        }
    }
    bytes += total;
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--batch") {
            options.batch = true;
        } else if (arg == "--threads" && i + 1 < argc) {
            options.threads = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--files" && i + 1 < argc) {
            options.files = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--slice" && i + 1 < argc) {
            options.slice = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        } else {
            options.folder = arg;
        }
    }
    if (options.folder.empty()) {
        std::fprintf(stderr,
                     "usage: file_batch_bench [--batch] [--threads N] [--files N] "
                     "[--slice BYTES] DIR\n");
        std::exit(2);
    }
    if (options.folder.back() != '/') {
        options.folder += '/';
    }
    return options;
}

void run(const Options& options) {
    const catalog::Folder folder = catalog::Folder::open(options.folder);
    const Files files = listByOrder(folder);
    std::atomic<std::size_t> next{0};
    std::atomic<std::uint64_t> bytes{0};
    std::exception_ptr failure;
    {
        std::vector<std::jthread> threads;
        for (unsigned i = 1; i < options.threads; ++i) {
            threads.emplace_back([&] {
                try {
                    work(options, folder, files, next, bytes);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        }
        work(options, folder, files, next, bytes);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    std::printf("%zu files, %llu bytes\n", files.names.size(),
                static_cast<unsigned long long>(bytes.load()));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        run(parse(argc, argv));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "file_batch_bench: %s\n", error.what());
        return 1;
    }
}
