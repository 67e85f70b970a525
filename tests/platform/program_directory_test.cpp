#include "platform/program_directory.h"

#include <gtest/gtest.h>

namespace catalog {
namespace {

TEST(programDirectory, IsTheFolderOfTheRunningExecutable) {
    EXPECT_EQ(programDirectory(), TEST_BINARY_DIR);
}

}  // namespace
}  // namespace catalog
