// The batch command against file systems that misbehave: entries that are not files, names no
// one would type, outputs that cannot be written. Each run ends with the documented skip or
// with one clear message, and an earlier listing survives every failure whole.

#include <filesystem>
#include <map>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "cli/batch_command_fixture.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using testing::BatchCommandTest;
using testing::entriesOf;
using testing::kHeader;
using testing::kSanitized;
using testing::Outcome;
using testing::productRecord;
using testing::readFile;
using testing::writeFile;

constexpr const char* kProgram = "catalog-collector-cli: ";

TEST_F(BatchCommandTest, SkipsEntriesThatAreNotFilesAndReadsOddNamesLikeAnyOther) {
    const fs::path data = path("prog/data");
    fs::create_symlink("loop-b", data / "loop-a");
    fs::create_symlink("loop-a", data / "loop-b");
    fs::create_symlink("self", data / "self");
    fs::create_symlink("missing", data / "dangling");
    fs::create_directory(path("folder"));
    writeFile(path("folder/inside.html"), productRecord("F", "Folder", "1", "f.jpg"));
    fs::create_directory_symlink(path("folder"), data / "folder-link");
    // A FIFO nobody writes to would block a plain open for ever.
    ASSERT_EQ(::mkfifo((data / "fifo").c_str(), 0600), 0);

    std::map<std::string, std::string> rows{{"a.html", "A1\t125\ta.jpg\tAnchor\r\n"},
                                            {"b.html", "B2\t7\tb.jpg\tBolt\r\n"}};
    const std::string oddNames[] = {"new\nline.html", "tab\there.html", "a#1.html",
                                    "caf\xe9\xff.html", std::string(255, 'n')};
    for (std::size_t i = 0; i < std::size(oddNames); ++i) {
        const std::string reference = "N" + std::to_string(i);
        writeFile(data / oddNames[i], productRecord(reference, "Odd", "3", "o.jpg"));
        rows[oddNames[i]] = reference + "\t3\to.jpg\tOdd\r\n";
    }
    std::string expected = kHeader;
    for (const auto& [name, row] : rows) {
        expected += row;
    }

    const Outcome outcome = run({"prog/data", "-"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, expected);
    EXPECT_EQ(outcome.err, std::string(kProgram) +
                               "7 records from 8 files, listing written to standard output\n");
}

TEST_F(BatchCommandTest, AnOutputThatCannotBeWrittenFailsWithItsPathAndChangesNothing) {
    writeFile(path("listing.txt"), "earlier");
    fs::create_directory(path("folder"));
    const std::vector<std::string> before = entriesOf(workingDir());
    const struct {
        std::string output;
        std::string reason;
    } cases[] = {
        {"missing/listing.txt", "No such file or directory (error 2)"},
        {"listing.txt/listing.txt", "Not a directory (error 20)"},
        {"", "No such file or directory (error 2)"},
        {"folder", "Is a directory (error 21)"},
        {"folder/", "Is a directory (error 21)"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = run({"prog/data", c.output});
        EXPECT_EQ(outcome.exitCode, 1) << c.output;
        EXPECT_EQ(outcome.err, kProgram + ("cannot write '" + c.output + "': ") + c.reason + "\n");
    }
    EXPECT_EQ(entriesOf(workingDir()), before);
    EXPECT_TRUE(fs::is_empty(path("folder")));
    EXPECT_EQ(readFile(path("listing.txt")), "earlier");
}

TEST_F(BatchCommandTest, AListingCutShortByTheFileSizeLimitFailsAndKeepsTheEarlierOne) {
    for (int i = 0; i < 400; ++i) {
        writeFile(path("prog/data/p" + std::to_string(i) + ".html"),
                  productRecord("R" + std::to_string(i), "Name", "1", "t.jpg"));
    }
    writeFile(path("listing.txt"), "earlier");
    // The limit is a few kilobytes; the listing is about ten. The shell's ulimit leaves the
    // signal that such a write raises at its default, which ends a process that does not
    // handle it.
    const Outcome outcome = runLimited("-f 4", {"prog/data", "listing.txt"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err,
              std::string(kProgram) + "cannot write 'listing.txt': File too large (error 27)\n");
    EXPECT_EQ(readFile(path("listing.txt")), "earlier");
    EXPECT_EQ(entriesOf(workingDir()), (std::vector<std::string>{"listing.txt", "prog"}));
}

TEST_F(BatchCommandTest, ADataFolderThatCannotBeListedFailsTheRunAndWritesNothing) {
    writeFile(path("listing.txt"), "earlier");
    writeFile(path("prog/output.txt"), "earlier");
    fs::rename(path("prog/data"), path("data"));
    writeFile(path("prog/data"), "a file where the folder should be");
    const Outcome notAFolder = run({});
    EXPECT_EQ(notAFolder.exitCode, 1);
    EXPECT_EQ(notAFolder.err, kProgram + ("cannot open folder '" + path("prog/data/")) +
                                  "': Not a directory (error 20)\n");
    EXPECT_EQ(readFile(path("prog/output.txt")), "earlier");

    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers' runtime needs descriptors of its own";
    }
    // Descriptors enough to open the folder, not to list it.
    const Outcome starved = runLimited("-n 4", {"data", "listing.txt"});
    EXPECT_EQ(starved.exitCode, 1);
    EXPECT_EQ(starved.err, std::string(kProgram) +
                               "cannot list folder 'data/': Too many open files (error 24)\n");
    EXPECT_EQ(readFile(path("listing.txt")), "earlier");
}

TEST_F(BatchCommandTest, AFileTooLargeForTheMemoryLeftFailsTheRunWithItsPath) {
    if (kSanitized) {
        GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit leaves";
    }
    // Enough pages that helper threads read too; the large file takes no disk, being sparse.
    for (int i = 0; i < 200; ++i) {
        writeFile(path("prog/data/p" + std::to_string(i) + ".html"), "<p>no record</p>");
    }
    writeFile(path("prog/data/huge.bin"), "");
    fs::resize_file(path("prog/data/huge.bin"), std::uintmax_t{1} << 30);
    writeFile(path("listing.txt"), "earlier");
    const Outcome outcome = runLimited("-v 700000", {"--threads", "4", "prog/data", "listing.txt"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err,
              std::string(kProgram) +
                  "cannot read 'prog/data/huge.bin': Cannot allocate memory (error 12)\n");
    EXPECT_EQ(readFile(path("listing.txt")), "earlier");
}

TEST_F(BatchCommandTest, ControlBytesInANameAreSpelledOutInMessages) {
    const Outcome written = run({"prog/data", "new\nline\x1b[2J.txt"});
    EXPECT_EQ(written.err, std::string(kProgram) + "2 records from 3 files, listing written to " +
                               "new\\nline\\x1b[2J.txt\n");
    // Reading this link fails even for root.
    fs::create_symlink("/proc/self/mem", path("prog/data/bad\nname\x1b[2J.html"));
    const Outcome outcome = run({"prog/data", "listing.txt"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, std::string(kProgram) +
                               "cannot read 'prog/data/bad\\nname\\x1b[2J.html': "
                               "Input/output error (error 5)\n");
    EXPECT_FALSE(fs::exists(path("listing.txt")));
}

}  // namespace
}  // namespace catalog
