#include "collect/text_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "platform/file_error.h"
#include "reference/getfile.h"
#include "support/test_files.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

// The error a call throws, or a default one (number 0) if it throws none.
template <typename Call>
FileError failureOf(Call call) {
    try {
        call();
    } catch (const FileError& error) {
        return error;
    }
    return FileError("none", "", 0);
}

// A whole text written as the one piece of a listing.
void writeText(const std::string& path, std::string_view text) {
    WriteTextFile(path, std::span<const std::string_view>(&text, 1));
}

std::size_t entriesIn(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

TEST(getfile, ReturnsEveryByteAndEmptyFilesAsEmptyText) {
    TempDir dir;
    const std::string bytes("\xef\xbb\xbf\xff\0\r\n\tend", 10);
    writeFile(dir / "bytes", bytes);
    writeFile(dir / "empty", "");
    EXPECT_EQ(getfile(dir / "bytes"), bytes);
    EXPECT_EQ(getfile(dir / "empty"), "");
}

#ifndef _WIN32
// Reading /proc/self/mem fails with EIO, an error Windows has no file for.
TEST(getfile, ReportsThePathAndTheSystemError) {
    TempDir dir;
    fs::create_symlink("/proc/self/mem", dir / "mem");
    const struct {
        std::string path;
        int errorNumber;
    } cases[] = {{dir / "missing", ENOENT}, {dir.path().string(), EISDIR}, {dir / "mem", EIO}};
    for (const auto& c : cases) {
        const FileError error = failureOf([&] { getfile(c.path); });
        EXPECT_EQ(error.path(), c.path);
        EXPECT_EQ(error.errorNumber(), c.errorNumber) << c.path;
        EXPECT_EQ(error.description(), std::strerror(c.errorNumber));
    }
}
#endif

TEST(getfile, ReadsFilesOfAnySizeToTheirEnd) {
    TempDir dir;
    const std::string large(300 * 1024, 'L');
    writeFile(dir / "large", large);
    EXPECT_TRUE(getfile(dir / "large") == large);
#ifndef _WIN32
    // Files that report no size, as in /proc, are read to their end all the same.
    EXPECT_EQ(getfile("/proc/self/cmdline"), readFile("/proc/self/cmdline"));
#endif
}

TEST(WriteTextFile, ReplacesTheWholeFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    writeFile(dir / "out.txt", "a much longer earlier listing");
#ifndef _WIN32
    ::chmod((dir / "out.txt").c_str(), 0604);  // Windows files have no such permissions
#endif
    writeText(dir / "out.txt", "new");
    EXPECT_EQ(readFile(dir / "out.txt"), "new");
#ifndef _WIN32
    EXPECT_EQ(fs::status(dir / "out.txt").permissions(), fs::perms(0604));
#endif
    writeText(dir / "out.txt", "");
    EXPECT_EQ(readFile(dir / "out.txt"), "");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(WriteTextFile, WritesPiecesInOrderAcrossManySystemCalls) {
    TempDir dir;
    std::vector<std::string> texts;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        texts.push_back(i % 7 == 0 ? "" : std::to_string(i) + "\r\n");
        expected += texts.back();
    }
    const std::vector<std::string_view> pieces(texts.begin(), texts.end());
    WriteTextFile(dir / "out.txt", pieces);
    EXPECT_TRUE(readFile(dir / "out.txt") == expected);
    WriteTextFile(dir / "out.txt", std::span<const std::string_view>());
    EXPECT_EQ(readFile(dir / "out.txt"), "");
}

#ifndef _WIN32
// Links, POSIX error numbers and the file size limit: what these show on Windows, the batch
// command's tests show there.
TEST(WriteTextFile, WritesThroughASymbolicLink) {
    TempDir dir;
    writeFile(dir / "real.txt", "old");
    fs::create_symlink("real.txt", dir / "link.txt");
    writeText(dir / "link.txt", "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(readFile(dir / "real.txt"), "new");
}

TEST(WriteTextFile, FailsOnPathsThatCannotHoldAFileAndChangesNothing) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    writeFile(dir / "file", "kept");
    const struct {
        std::string path;
        int errorNumber;
    } cases[] = {{dir / "folder", EISDIR},          {dir / "", EISDIR},
                 {dir / "missing/out.txt", ENOENT}, {"", ENOENT},
                 {dir / "file/out.txt", ENOTDIR},   {dir / "missing/", ENOENT}};
    for (const auto& c : cases) {
        const FileError error = failureOf([&] { writeText(c.path, "listing"); });
        EXPECT_EQ(error.path(), c.path);
        EXPECT_EQ(error.errorNumber(), c.errorNumber) << c.path;
    }
    EXPECT_EQ(readFile(dir / "file"), "kept");
    EXPECT_EQ(entriesIn(dir.path()), 2u);
    EXPECT_EQ(entriesIn(dir / "folder"), 0u);
}

TEST(WriteTextFile, AWriteThatFailsPartWayKeepsTheEarlierFile) {
    TempDir dir;
    writeFile(dir / "out.txt", "earlier listing");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A file size limit makes the write fail with EFBIG after the first kilobyte.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const FileError error =
            failureOf([&] { writeText(dir / "out.txt", std::string(64 * 1024, 'x')); });
        ::_exit(error.errorNumber() == EFBIG ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readFile(dir / "out.txt"), "earlier listing");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

#endif

}  // namespace
}  // namespace catalog
