#include "platform/program_directory.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/paths.h"

namespace catalog {
namespace {

// The same folder, however each names it: under Wine the program sees its folder on a drive
// letter, while the build gave the Linux path.
TEST(programDirectory, IsTheFolderOfTheRunningExecutable) {
    const std::string folder = programDirectory();
    EXPECT_NE(folder.back(), kPathSeparator);
    const std::u8string utf8(folder.begin(), folder.end());
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(utf8), TEST_BINARY_DIR))
        << folder;
}

}  // namespace
}  // namespace catalog
