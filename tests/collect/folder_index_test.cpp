#include <algorithm>
#include <filesystem>

#include "reference/folder_to_tabs.h"
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "platform/file_error.h"
#include "platform/folder.h"
#include "platform/system_error.h"
#include "support/test_files.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using testing::TempDir;
using testing::writeFile;

#ifndef _WIN32
// Symbolic links, FIFOs, sockets and devices as POSIX has them; the batch command's tests show
// hidden files and odd names on Windows.
TEST(FolderIndex, ListsRegularFilesAndLinksToThemInByteOrder) {
    TempDir dir;
    for (const char* name : {"b.html", "a#b.html", "B.html", ".hidden", "\xc3\xa9t\xc3\xa9", "a"}) {
        writeFile(dir / name, "x");
    }
    fs::create_symlink(dir / "a", dir / "link-to-a");
    EXPECT_EQ(FolderToTabs(dir / ""), (Names{".hidden", "B.html", "a", "a#b.html", "b.html",
                                             "link-to-a", "\xc3\xa9t\xc3\xa9"}));
}

TEST(FolderIndex, LeavesOutFoldersPipesSocketsDevicesAndDanglingOrLoopingLinks) {
    TempDir dir;
    writeFile(dir / "kept", "x");
    fs::create_directory(dir / "sub");
    writeFile(dir / "sub/inner", "x");
    fs::create_directory_symlink(dir / "sub", dir / "link-to-sub");
    fs::create_symlink(dir / "missing", dir / "dangling");
    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    fs::create_symlink("self", dir / "self");
    fs::create_symlink("/dev/null", dir / "device");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir / "socket";
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(FolderToTabs(dir / ""), Names{"kept"});
    ::close(sock);
}

#endif

TEST(FolderIndex, MissingOrEmptyFoldersListNothingAndOthersThatCannotBeOpenedFail) {
    TempDir dir;
    writeFile(dir / "file", "x");
    EXPECT_EQ(FolderToTabs(dir / ""), Names{"file"});
    EXPECT_EQ(FolderToTabs(dir / "missing/"), Names{});
    fs::create_directory(dir / "empty");
    EXPECT_EQ(FolderToTabs(dir / "empty/"), Names{});
    try {
        FolderToTabs(dir / "file/");
        ADD_FAILURE() << "a file listed as a folder";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir / "file/");
        EXPECT_EQ(error.errorNumber(), errorNumberOf(Condition::NotAFolder));
    }
}

TEST(FolderIndex, AnOpenFolderListsInFullEachTime) {
    TempDir dir;
    writeFile(dir / "a", "x");
    writeFile(dir / "b", "x");
    const Folder folder = Folder::open(dir / "");
    for (int pass = 0; pass < 2; ++pass) {
        Names names;
        folder.forEachRegularFile([&names](const FolderEntry& entry) {
            names.emplace_back(entry.name);
            return true;
        });
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (Names{"a", "b"})) << "pass " << pass;
    }
}

}  // namespace
}  // namespace catalog
