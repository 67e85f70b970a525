#include "window/data_folder.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/test_files.h"
#include "window/window_texts.h"

namespace catalog::window {
namespace {

namespace fs = std::filesystem;

// Asked to open a missing data folder, the window makes it; a file in its place is a failure
// to show, never something to open or remove.
TEST(DataFolder, AMissingFolderIsMadeAndAFileInItsPlaceIsRefused) {
    const testing::TempDir dir;
    const FolderToOpen made = dataFolderToOpen(dir.path().string());
    EXPECT_FALSE(made.failure);
    EXPECT_TRUE(fs::is_directory(dir.path() / "data"));
    EXPECT_FALSE(dataFolderToOpen(dir.path().string()).failure);

    fs::remove(dir.path() / "data");
    testing::writeFile(dir.path() / "data", "a page, not a folder");
    const FolderToOpen refused = dataFolderToOpen(dir.path().string());
    ASSERT_TRUE(refused.failure);
    EXPECT_EQ(refused.failure->operation, "make folder");
    EXPECT_EQ(failureTextFor(*refused.failure).message, "The data folder could not be opened.");
    EXPECT_EQ(testing::readFile((dir.path() / "data").string()), "a page, not a folder");
}

}  // namespace
}  // namespace catalog::window
