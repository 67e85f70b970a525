#include "platform/input_file.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/folder.h"
#include "support/test_files.h"

namespace catalog {
namespace {

using testing::TempDir;
using testing::writeFile;

// Positioned reads, after plain ones have reached the end: what re-reads a large file's matches.
TEST(InputFile, ReadsAtAnyOffsetAndNothingPastTheEnd) {
    TempDir dir;
    writeFile(dir / "page", "0123456789");
    const Folder folder = Folder::open((dir.path() / "").string());
    InputFile file(folder, "page");
    char bytes[16] = {};
    EXPECT_EQ(file.read(bytes, sizeof bytes), 10u);
    EXPECT_EQ(file.read(bytes, sizeof bytes), 0u);
    EXPECT_EQ(file.readAt(3, bytes, 4), 4u);
    EXPECT_EQ(std::string(bytes, 4), "3456");
    EXPECT_EQ(file.readAt(8, bytes, sizeof bytes), 2u);
    EXPECT_EQ(std::string(bytes, 2), "89");
    EXPECT_EQ(file.readAt(10, bytes, sizeof bytes), 0u);
    EXPECT_EQ(file.readAt(std::uint64_t{1} << 40, bytes, sizeof bytes), 0u);
}

}  // namespace
}  // namespace catalog
