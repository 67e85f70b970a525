// Where the listing goes on Windows: a device is written into, a hidden listing stays hidden, a
// read-only one is refused, and one another program holds open is waited for, briefly, and else
// left whole.

#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>
#include <windows.h>

#include <gtest/gtest.h>

#include "app/cli/batch_command_fixture.h"

namespace catalog::testing {
namespace {

namespace fs = std::filesystem;

// Opens `path` as a viewer would: reading it and letting others read, nothing more.
HANDLE holdOpen(const std::string& path) {
    return ::CreateFileW(utf8Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Waits until a file whose name starts with `prefix` is in `folder`.
bool awaitFile(const fs::path& folder, std::string_view prefix) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        for (const std::string& name : entriesOf(folder)) {
            if (name.starts_with(prefix)) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

TEST_F(BatchCommandTest, ADeviceIsWrittenIntoAndNeverReplaced) {
    const std::vector<std::string> before = entriesOf(workingDir());
    const Outcome outcome = run({"prog/data", "NUL"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, summaryFor("the device NUL (no file)"));
    EXPECT_EQ(entriesOf(workingDir()), before);
}

TEST_F(BatchCommandTest, ANameWithALongPrefixIsUsedAsItStands) {
    const Outcome outcome = run({"prog/data", "\\\\?\\" + path("listing.txt")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(readFile(path("listing.txt")), kHeader + kRows);
}

// Refused before the run: a temporary file beside a stream would be a stream of a new file.
TEST_F(BatchCommandTest, AStreamIsRefusedAndNothingIsCreated) {
    const std::vector<std::string> before = entriesOf(workingDir());
    const Outcome outcome = run({"prog/data", "listing.txt:ads"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, kProgram +
                               "cannot write 'listing.txt:ads': a colon names a stream hidden "
                               "inside a file; give a name without a colon\n");
    EXPECT_EQ(entriesOf(workingDir()), before);
}

// Windows drops the dots and blanks that end a name: the summary names the file it made.
TEST_F(BatchCommandTest, ANameEndingInDotsOrBlanksIsNamedAsTheFileMade) {
    const Outcome outcome = run({"prog/data", "liste.txt. "});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, summaryFor("liste.txt"));
    EXPECT_EQ(readFile(path("liste.txt")), kHeader + kRows);
}

TEST_F(BatchCommandTest, SlashQuestionMarkShowsTheHelp) {
    const Outcome help = run({"/?"});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_TRUE(help.out.starts_with("Usage: catalog-collector-cli ")) << help.out;
}

TEST_F(BatchCommandTest, AReplacedListingStaysHidden) {
    writeFile(path("listing.txt"), "earlier");
    const fs::path listing = utf8Path(path("listing.txt"));
    ASSERT_TRUE(::SetFileAttributesW(listing.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const Outcome outcome = run({"prog/data", "listing.txt"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(readFile(listing), kHeader + kRows);
    EXPECT_NE(::GetFileAttributesW(listing.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

// The command interpreter, which only a full path starts.
std::string commandInterpreter() {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return (fs::path(std::wstring(folder, length)) / "cmd.exe").string();
}

// Standard output that cmd opened onto a program or into the data folder is refused as the
// same file named as the output would be; appended to, it is left as cmd left it.
TEST_F(BatchCommandTest, StandardOutputOntoAProgramOrAPageIsRefused) {
    writeFile(path("prog/catalog-collector.exe"), "the window");
    const std::string command = std::string("prog\\") + CLI_PROGRAM_NAME + " prog\\data - >>";
    const std::pair<std::string, std::string> cases[] = {
        {"prog\\catalog-collector.exe",
         "it is the program catalog-collector, which the listing would replace"},
        {"prog\\data\\new.html",
         "it lies in the data folder prog\\data\\, whose every file a run reads as a page"},
    };
    for (const auto& [target, reason] : cases) {
        const Outcome outcome =
            runProgram(commandInterpreter(), {"/c", command + target}, workingDir());
        EXPECT_EQ(outcome.exitCode, 1) << target;
        EXPECT_EQ(outcome.err, kProgram + "cannot write standard output: " + reason +
                                   "; send standard output elsewhere, or name another output\n");
    }
    EXPECT_EQ(readFile(path("prog/catalog-collector.exe")), "the window");
    EXPECT_EQ(readFile(path("prog/data/new.html")), "");
    const Outcome elsewhere =
        runProgram(commandInterpreter(), {"/c", command + "out.txt"}, workingDir());
    EXPECT_EQ(elsewhere.exitCode, 0) << elsewhere.err;
    EXPECT_EQ(readFile(path("out.txt")), kHeader + kRows);
}

// Refused before anything is written: Wine would replace it and drop the flag.
TEST_F(BatchCommandTest, AReadOnlyListingIsRefusedAndKeptWhole) {
    writeFile(path("listing.txt"), "earlier");
    const fs::path listing = utf8Path(path("listing.txt"));
    ASSERT_TRUE(::SetFileAttributesW(listing.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::vector<std::string> before = entriesOf(workingDir());
    const Outcome outcome = run({"prog/data", "listing.txt"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, kProgram + "cannot write 'listing.txt': " +
                               reasonFor(ERROR_ACCESS_DENIED,
                                         "listing.txt is read-only: clear its read-only flag, "
                                         "or save to another name") +
                               "\n");
    EXPECT_EQ(readFile(listing), "earlier");
    EXPECT_EQ(entriesOf(workingDir()), before);
    EXPECT_NE(::GetFileAttributesW(listing.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    ::SetFileAttributesW(listing.c_str(), FILE_ATTRIBUTE_NORMAL);  // for the folder's removal
}

TEST_F(BatchCommandTest, AListingHeldOpenElsewhereIsReplacedOnceLetGoOrElseKeptWhole) {
    writeFile(path("listing.txt"), "earlier");
    const std::vector<std::string> before = entriesOf(workingDir());
    HANDLE viewer = holdOpen(path("listing.txt"));
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    const Outcome held = run({"prog/data", "listing.txt"});
    ::CloseHandle(viewer);
    EXPECT_EQ(held.exitCode, 1);
    // The system's own number and words stay, and what to do follows them; which of the two
    // errors a move onto an open file meets differs between Windows and Wine.
    const std::string kHeld =
        "the file is open in another program or read-only; close it (or "
        "make it writable) and collect again";
    const std::string prefix = kProgram + "cannot write 'listing.txt': ";
    EXPECT_TRUE(held.err == prefix + reasonFor(ERROR_ACCESS_DENIED, kHeld) + "\n" ||
                held.err == prefix + reasonFor(ERROR_SHARING_VIOLATION, kHeld) + "\n")
        << held.err;
    EXPECT_EQ(readFile(path("listing.txt")), "earlier");
    EXPECT_EQ(entriesOf(workingDir()), before);

    // Let go as soon as the temporary file is there: the program retries for about a second,
    // so however late the test comes to it within that second, the listing is replaced.
    viewer = holdOpen(path("listing.txt"));
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    StartedProgram running(program(), {"prog/data", "listing.txt"}, workingDir());
    const bool written = awaitFile(workingDir(), ".listing.txt.tmp");
    ::CloseHandle(viewer);
    const Outcome released = running.wait();
    EXPECT_TRUE(written);
    EXPECT_EQ(released.exitCode, 0) << released.err;
    EXPECT_EQ(readFile(path("listing.txt")), kHeader + kRows);
    EXPECT_EQ(entriesOf(workingDir()), before);
}

}  // namespace
}  // namespace catalog::testing
