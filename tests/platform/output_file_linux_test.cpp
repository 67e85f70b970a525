#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <iostream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/output_file.h"
#include "platform/posix/unique_fd.h"
#include "support/test_files.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeFile;

constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr uid_t kNobody = 65534;

// An access ACL as the kernel stores it: version 2, then {tag, permissions, id}, little-endian;
// an entry for no named user or group has the id -1.
std::string aclOf(std::initializer_list<std::array<std::uint32_t, 3>> entries) {
    std::string acl("\2\0\0\0", 4);
    for (const auto& [tag, permissions, id] : entries) {
        for (const auto& [value, bytes] : {std::pair{tag, 2}, {permissions, 2}, {id, 4}}) {
            for (int byte = 0; byte < bytes; ++byte) {
                acl.push_back(static_cast<char>(value >> (8 * byte)));
            }
        }
    }
    return acl;
}

std::string aclAt(const std::string& path) {
    std::string acl(256, '\0');
    const ssize_t size = ::getxattr(path.c_str(), kAccessAcl, acl.data(), acl.size());
    acl.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
    return acl;
}

mode_t modeOf(const std::string& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// Tags: owner 1, named user 2, owning group 4, mask 0x10, others 0x20; permissions rwx = 7.
constexpr std::uint32_t kNone = 0xffffffff;

TEST(writeOutputFile, KeepsTheAccessAclOrTheModeButNoExecuteBit) {
    const struct {
        mode_t mode;
        std::string acl;
        mode_t expectedMode;
        std::string expectedAcl;
        std::string folderDefaultAcl;  // which the temporary file takes
    } cases[] = {
        {04751, "", 0640, "", ""},
        {0660, "", 0660, "",
         aclOf(
             {{1, 6, kNone}, {2, 6, kNobody}, {4, 6, kNone}, {0x10, 6, kNone}, {0x20, 0, kNone}})},
        {0755,
         aclOf({{1, 7, kNone}, {2, 7, kNobody}, {4, 5, kNone}, {0x10, 7, kNone}, {0x20, 1, kNone}}),
         0660,
         aclOf({{1, 6, kNone}, {2, 6, kNobody}, {4, 4, kNone}, {0x10, 6, kNone}, {0x20, 0, kNone}}),
         ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string out = dir / "out.txt";
        writeFile(out, "earlier listing");
        ::chmod(out.c_str(), c.mode);
        if (!c.acl.empty() && ::setxattr(out.c_str(), kAccessAcl, c.acl.data(), c.acl.size(), 0)) {
            GTEST_SKIP() << "the file system of " << dir.path()
                         << " keeps no ACL: " << std::strerror(errno);
        }
        if (!c.folderDefaultAcl.empty() &&
            ::setxattr(dir.path().c_str(), "system.posix_acl_default", c.folderDefaultAcl.data(),
                       c.folderDefaultAcl.size(), 0) != 0) {
            GTEST_SKIP() << "the file system of " << dir.path()
                         << " keeps no ACL: " << std::strerror(errno);
        }
        // Asked while the temporary file holds the text, before it is widened; never asked
        // leaves a mode that fails.
        mode_t whileWritten = 0777;
        const std::string_view text = "listing";
        writeOutputFile(out, {&text, 1}, [&] {
            for (const auto& entry : fs::directory_iterator(dir.path())) {
                if (entry.path() != out && whileWritten == 0777) {
                    whileWritten = modeOf(entry.path());
                }
            }
            return false;
        });
        EXPECT_EQ(whileWritten & 0077, 0u) << std::oct << c.mode;
        EXPECT_EQ(modeOf(out), c.expectedMode) << std::oct << c.mode;
        EXPECT_EQ(aclAt(out), c.expectedAcl) << std::oct << c.mode;
    }
}

std::string attributeAt(const std::string& path, const char* name) {
    std::string value(256, '\0');
    const ssize_t size = ::getxattr(path.c_str(), name, value.data(), value.size());
    return size < 0 ? "(none)" : value.substr(0, static_cast<std::size_t>(size));
}

// Tags and origins that users' tools put on a file are handed on; the system's own namespaces
// are not (trusted.* takes root to set).
TEST(writeOutputFile, KeepsTheUserAttributesAlone) {
    TempDir dir;
    const std::string out = dir / "out.txt";
    writeFile(out, "earlier listing");
    if (::setxattr(out.c_str(), "user.tag", "blue", 4, 0) != 0) {
        GTEST_SKIP() << "the file system of " << dir.path()
                     << " keeps no user attributes: " << std::strerror(errno);
    }
    ::setxattr(out.c_str(), "user.empty", "", 0, 0);
    const bool trusted = ::setxattr(out.c_str(), "trusted.kept", "no", 2, 0) == 0;
    const std::string_view text = "listing";
    writeOutputFile(out, {&text, 1});
    EXPECT_EQ(testing::readFile(out), "listing");
    EXPECT_EQ(attributeAt(out, "user.tag"), "blue");
    EXPECT_EQ(attributeAt(out, "user.empty"), "");
    if (trusted) {
        EXPECT_EQ(attributeAt(out, "trusted.kept"), "(none)");
    }
}

// A temporary file held by a writer stays, whoever that writer is (here another open of it); a
// link, a FIFO or a folder named as one is no writer's, and is neither followed, nor opened to
// block on, nor removed.
TEST(writeOutputFile, LeavesHeldTemporaryFilesAndWhatIsNoRegularFile) {
    TempDir dir;
    writeFile(dir / ".out.txt.tmp4242-1", "being written");
    const UniqueFd held(::open((dir / ".out.txt.tmp4242-1").c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(::flock(held.get(), LOCK_EX), 0);
    writeFile(dir / "target", "what a link leads to");
    fs::create_symlink("target", dir / ".out.txt.tmp1-1");
    ASSERT_EQ(::mkfifo((dir / ".out.txt.tmp1-2").c_str(), 0600), 0);
    fs::create_directory(dir / ".out.txt.tmp1-3");
    const std::string_view text = "listing";
    writeOutputFile(dir / "out.txt", {&text, 1});
    EXPECT_EQ(testing::entriesOf(dir.path()),
              (std::vector<std::string>{".out.txt.tmp1-1", ".out.txt.tmp1-2", ".out.txt.tmp1-3",
                                        ".out.txt.tmp4242-1", "out.txt", "target"}));
    EXPECT_EQ(testing::readFile(dir / "target"), "what a link leads to");
}

// In a child, as a user whose permissions are checked (root's are not): what writing
// `out` throws, as "error: refusal: subject".
std::string failureAsNobody(const std::string& out) {
    int pipe[2];
    if (::pipe(pipe) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        std::string failure = "none";
        if (::geteuid() != 0 ||
            (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0)) {
            try {
                const std::string_view text = "listing";
                writeOutputFile(out, {&text, 1});
            } catch (const FileError& error) {
                const auto refusal = static_cast<int>(error.refusal());
                failure = std::to_string(error.errorNumber()) + ": " + std::to_string(refusal) +
                          ": " + error.subject();
            }
        }
        [[maybe_unused]] const ssize_t written = ::write(pipe[1], failure.data(), failure.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string failure(4096, '\0');
    const ssize_t length = ::read(pipe[0], failure.data(), failure.size());
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);
    failure.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
    return failure;
}

// The listing is writable, but replacing it takes a new file in its folder, and a sticky folder
// lets only a file's owner replace it: the refusal names the folder, not the listing.
TEST(writeOutputFile, NamesTheFolderThatRefusesTheReplacement) {
    TempDir dir;
    const bool root = ::geteuid() == 0;
    const uid_t listingOwner = root ? kNobody : ::geteuid();
    const struct {
        const char* folder;
        mode_t mode;
        uid_t owner;
        int error;
        Refusal refusal;
    } cases[] = {
        {"closed", 0555, listingOwner, EACCES, Refusal::NoNewFiles},
        {"sticky", 01777, 0, EPERM, Refusal::StickyFolder},
    };
    ::chmod(dir.path().c_str(), 0755);
    for (const auto& c : cases) {
        if (c.owner == 0 && !root) {
            std::cout << "[ SKIPPED  ] " << c.folder << ": another user's listing takes root\n";
            continue;
        }
        const std::string folder = dir / c.folder;
        fs::create_directory(folder);
        writeFile(folder + "/out.txt", "earlier listing");
        ::chmod((folder + "/out.txt").c_str(), 0666);
        ::chown((folder + "/out.txt").c_str(), c.owner, static_cast<gid_t>(-1));
        ::chmod(folder.c_str(), c.mode);
        EXPECT_EQ(failureAsNobody(folder + "/out.txt"),
                  std::to_string(c.error) + ": " + std::to_string(static_cast<int>(c.refusal)) +
                      ": " + folder);
        EXPECT_EQ(testing::readFile(folder + "/out.txt"), "earlier listing");
        ::chmod(folder.c_str(), 0755);
    }
}

}  // namespace
}  // namespace catalog
