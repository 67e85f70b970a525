#include "platform/file_batch.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/folder.h"
#include "support/io_uring_refusal.h"
#include "support/test_files.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <cerrno>
#include <sys/resource.h>
#endif

#include <gtest/gtest.h>

namespace catalog {
namespace {

#ifdef __linux__
using testing::refuseIoUring;
#endif
using testing::TempDir;
using testing::whyFilesAreNotReadTogether;
using testing::writeFile;

constexpr std::size_t kBytesPerFile = 64;
// One window of files judged.
constexpr std::size_t kFiles = 32;

class FileBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = whyFilesAreNotReadTogether(); !why.empty()) {
            GTEST_SKIP() << why;
        }
    }

    Folder openFolder() const { return Folder::open((dir.path() / "").string()); }

    // What whole() gives for each of `names` after one read().
    std::vector<std::optional<std::string>> readAll(FileBatch& batch,
                                                    const std::vector<const char*>& names) {
        const Folder folder = openFolder();
        batch.read(folder, names);
        std::vector<std::optional<std::string>> got;
        for (std::size_t i = 0; i <= names.size(); ++i) {
            const auto content = batch.whole(i);
            got.push_back(content ? std::optional<std::string>(*content) : std::nullopt);
        }
        return got;
    }

    // `kFiles` files of `bytes` each, named with `prefix`.
    std::vector<std::string> writePages(const std::string& prefix, std::size_t bytes) {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < kFiles; ++i) {
            names.push_back(prefix + std::to_string(i));
            writeFile(dir / names.back(), std::string(bytes, 'z'));
        }
        return names;
    }

    // Whether the first of `names` is read whole by the batch.
    static bool readsFirst(FileBatch& batch, const Folder& folder,
                           const std::vector<std::string>& names) {
        std::vector<const char*> pointers;
        for (const std::string& name : names) {
            pointers.push_back(name.c_str());
        }
        batch.read(folder, pointers);
        return batch.whole(0).has_value();
    }

    TempDir dir;
};

// Only a regular file shorter than its slice counts as read; everything else (a file that may go
// on, an empty one, a folder, a name that is gone, and on POSIX a FIFO and links, even to a
// device) is left to the plain way, which gives the listing and the error.
TEST_F(FileBatchTest, ReadsWholeOnlyRegularFilesShorterThanASlice) {
    writeFile(dir / "small", "a page");
    writeFile(dir / "exact", std::string(kBytesPerFile, 'x'));
    writeFile(dir / "larger", std::string(kBytesPerFile + 1, 'y'));
    writeFile(dir / "empty", "");
    std::filesystem::create_directory(dir / "folder");
    std::vector<const char*> names = {"small", "exact", "larger", "empty", "folder", "missing"};
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    // With a writer and bytes waiting, so that a read would take them.
    const int writer = ::open((dir / "fifo").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "waiting", 7), 7);
    std::filesystem::create_symlink(dir / "small", dir / "link");
    std::filesystem::create_symlink("/dev/null", dir / "device");
    names.insert(names.end(), {"fifo", "link", "device"});
#endif
    FileBatch batch(names.size(), kBytesPerFile);
    const auto got = readAll(batch, names);
    std::vector<std::optional<std::string>> expected(names.size() + 1);
    expected[0] = "a page";
    EXPECT_EQ(got, expected);
#ifndef _WIN32
    ::close(writer);
#endif

    // The slices are reused: the next batch says nothing of the last one's files.
    writeFile(dir / "other", "another page");
    const auto next = readAll(batch, {"larger", "other"});
    EXPECT_EQ(next[0], std::nullopt);
    EXPECT_EQ(next[1], "another page");
    EXPECT_EQ(next[2], std::nullopt);
}

// Files that mostly go the plain way are opened twice; after a batch of such, the batch stops
// trying for a while, and small files too go the plain way.
TEST_F(FileBatchTest, PausesWhenMostFilesAreTooLarge) {
    const auto large = writePages("large-", kBytesPerFile * 2);
    const auto small = writePages("small-", 1);
    FileBatch batch(kFiles, kBytesPerFile);
    const Folder folder = openFolder();
    ASSERT_TRUE(readsFirst(batch, folder, small));
    EXPECT_FALSE(readsFirst(batch, folder, large));
    EXPECT_FALSE(readsFirst(batch, folder, small));
}

// A pause only lasts a while: then the batch looks again, and reads small files together.
TEST_F(FileBatchTest, ResumesAfterAPause) {
    // Far past any pause worth taking: a batch that never resumes reads this many files plainly.
    constexpr std::size_t kMostPaused = 100000;
    const auto large = writePages("large-", kBytesPerFile * 2);
    const auto small = writePages("small-", 1);
    FileBatch batch(kFiles, kBytesPerFile);
    const Folder folder = openFolder();
    readsFirst(batch, folder, large);
    std::size_t leftToPlain = 0;
    while (leftToPlain < kMostPaused && !readsFirst(batch, folder, small)) {
        leftToPlain += small.size();
    }
    EXPECT_GT(leftToPlain, 0u);
    EXPECT_LT(leftToPlain, kMostPaused);
}

#ifdef __linux__
bool allowFewDescriptors() {
    const rlimit few{16, 16};
    return ::setrlimit(RLIMIT_NOFILE, &few) == 0;
}

// Run in a child process, since neither a filter nor a lowered limit can be taken back.
[[noreturn]] void readRefused(const TempDir& dir, bool (*refuse)()) {
    if (!refuse()) {
        std::exit(2);
    }
    FileBatch batch(32, kBytesPerFile);
    const Folder folder = Folder::open((dir.path() / "").string());
    const std::array<const char*, 1> names = {"small"};
    batch.read(folder, names);
    std::exit(!batch.active() && !batch.whole(0) ? 0 : 1);
}

void expectPlainWayOnly(const TempDir& dir, bool (*refuse)()) {
    writeFile(dir / "small", "a page");
    // io_uring's own threads may run beside the test's: the child starts afresh.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(readRefused(dir, refuse), ::testing::ExitedWithCode(0), "");
}

// Where the system refuses io_uring, or allows too few descriptors for the slots, the batch is
// inactive and leaves every file to the plain way.
TEST_F(FileBatchTest, GoesThePlainWayWhereIoUringIsRefused) {
    expectPlainWayOnly(dir, [] { return refuseIoUring(ENOSYS); });
    expectPlainWayOnly(dir, [] { return refuseIoUring(EPERM); });
    expectPlainWayOnly(dir, allowFewDescriptors);
}
#endif

}  // namespace
}  // namespace catalog
