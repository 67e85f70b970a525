#include "platform/input_file.h"

#include <string>
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include "platform/file_error.h"
#include "platform/folder.h"
#include "platform/held_file_wait.h"
#include "platform/system_error.h"
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

#ifdef _WIN32
// Held open by another program that shares it with no one, a file fails as held once the wait
// allows no more tries, and is read once let go during the wait: here at its first pause.
TEST(InputFile, AFileHeldOpenIsReadOnceLetGoOrElseFailsAsHeld) {
    TempDir dir;
    writeFile(dir / "page", "0123");
    HANDLE holder = ::CreateFileW((dir.path() / "page").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const Folder folder = Folder::open((dir.path() / "").string());
    using std::chrono::hours;
    HeldFileWait noWait({}, hours(0), hours(1));
    try {
        InputFile file(folder, "page", &noWait);
        ADD_FAILURE() << "opened while held";
    } catch (const FileError& error) {
        EXPECT_EQ(error.operation(), "open");
        EXPECT_EQ(error.errorNumber(), ERROR_SHARING_VIOLATION);
        EXPECT_TRUE(isHeldByAnotherProgram(error.errorNumber()));
    }
    HeldFileWait letGo([&holder] { return !::CloseHandle(holder); }, hours(1), hours(1));
    InputFile file(folder, "page", &letGo);
    char bytes[8] = {};
    EXPECT_EQ(file.read(bytes, sizeof bytes), 4u);
}
#endif

}  // namespace
}  // namespace catalog
