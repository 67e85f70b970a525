#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <gtest/gtest.h>

#include "platform/output_file.h"
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
    } cases[] = {
        {04751, "", 0640, ""},
        {0755,
         aclOf({{1, 7, kNone}, {2, 7, kNobody}, {4, 5, kNone}, {0x10, 7, kNone}, {0x20, 1, kNone}}),
         0660,
         aclOf(
             {{1, 6, kNone}, {2, 6, kNobody}, {4, 4, kNone}, {0x10, 6, kNone}, {0x20, 0, kNone}})},
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

}  // namespace
}  // namespace catalog
