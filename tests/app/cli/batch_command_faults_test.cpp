// The batch command against file systems that misbehave: entries that are not files, names no
// one would type, outputs that cannot be written. Each run ends with the documented skip or
// with one clear message, and an earlier listing survives every failure whole.

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "app/cli/batch_command_fixture.h"
#include "platform/system_error.h"

namespace catalog::testing {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
// A file of about `size` bytes, mostly a hole, that holds one record whose name is the hole.
void writeSparseRecord(const fs::path& file, std::uintmax_t size) {
    writeFile(file, "'REFERENCE' => 'A', 'NAME' => '");
    fs::resize_file(file, size);
    std::ofstream(file, std::ios::app | std::ios::binary)
        << "', 'PRICE' => 1, 'MIN_QUANTITY_ORDERABLE' => 1, 'THUMBNAIL' => 't',  }, ";
}
#endif

// Entries that are not files, which the listing skips, beside the fixture's files; `elsewhere`
// is a place for a folder to link to. The folder's page is not read, but the summary tells of
// it.
#ifdef _WIN32
// Links cannot be made under Wine, and only with a privilege on Windows: the POSIX run covers
// them. A hidden system file is a file all the same.
void addSpecialEntries(const fs::path& data, const fs::path& /*elsewhere*/) {
    fs::create_directory(data / "folder.html");
    writeFile(data / "folder.html/inside.html", productRecord("F", "Folder", "1", "f.jpg"));
    ASSERT_TRUE(::SetFileAttributesW((data / "a.html").c_str(),
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

// The names Windows allows that a careless listing would trip on. The fullwidth tilde comes
// before the parcel in UTF-8, after it in UTF-16: the rows must follow UTF-8.
const std::string kOddNames[] = {
    "a#1.html",          "with blank.html",       "it's.html",           "caf\xc3\xa9.html",
    "\xef\xbd\x9e.html", "\xf0\x9f\x93\xa6.html", std::string(255, 'n'),
};
#else
void addSpecialEntries(const fs::path& data, const fs::path& elsewhere) {
    fs::create_symlink("loop-b", data / "loop-a");
    fs::create_symlink("loop-a", data / "loop-b");
    fs::create_symlink("self", data / "self");
    fs::create_symlink("missing", data / "dangling");
    fs::create_directory(elsewhere);
    writeFile(elsewhere / "inside.html", productRecord("F", "Folder", "1", "f.jpg"));
    fs::create_directory_symlink(elsewhere, data / "folder-link");
    // A FIFO nobody writes to would block a plain open for ever.
    ASSERT_EQ(::mkfifo((data / "fifo").c_str(), 0600), 0);
}

const std::string kOddNames[] = {"new\nline.html", "tab\there.html", "a#1.html", "caf\xe9\xff.html",
                                 std::string(255, 'n')};
#endif

TEST_F(BatchCommandTest, SkipsEntriesThatAreNotFilesAndReadsOddNamesLikeAnyOther) {
    const fs::path data = utf8Path(path("prog/data"));
    addSpecialEntries(data, utf8Path(path("folder")));
    std::map<std::string, std::string> rows{{"a.html", "A1\t125\ta.jpg\tAnchor\r\n"},
                                            {"b.html", "B2\t7\tb.jpg\tBolt\r\n"}};
    for (std::size_t i = 0; i < std::size(kOddNames); ++i) {
        const std::string reference = numbered("N", i);
        writeFile(data / utf8Path(kOddNames[i]), productRecord(reference, "Odd", "3", "o.jpg"));
        rows[kOddNames[i]] = reference + "\t3\to.jpg\tOdd\r\n";
    }
    std::string expected = kHeader;
    for (const auto& [name, row] : rows) {
        expected += row;
    }

    const Outcome outcome = run({"prog/data", "-"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, expected);
    EXPECT_EQ(outcome.err, kProgram + std::to_string(rows.size()) +
                               " records written to standard output from " +
                               std::to_string(rows.size() + 1) +
                               " pages (1 without a record, 1 subfolder with pages)\n");
}

// What a path through a folder that is not there and one through a file give: Windows says
// "path not found" of both.
#ifdef _WIN32
const std::string kThroughNoFolder = reasonFor(ERROR_PATH_NOT_FOUND);
const std::string kThroughAFile = reasonFor(ERROR_PATH_NOT_FOUND);
#else
const std::string kThroughNoFolder = reasonFor(ENOENT);
const std::string kThroughAFile = reasonFor(ENOTDIR);
#endif

TEST_F(BatchCommandTest, AnOutputThatCannotBeWrittenFailsWithItsPathAndChangesNothing) {
    writeFile(path("listing.txt"), "earlier");
    fs::create_directory(path("folder"));
    const std::vector<std::string> before = entriesOf(workingDir());
    const struct {
        std::string output;
        std::string reason;
    } cases[] = {
        {"missing/listing.txt", kThroughNoFolder},
        {"listing.txt/listing.txt", kThroughAFile},
        {"", reasonFor(errorNumberOf(Condition::NoSuchFile))},
        {"folder", folderAsOutputReason()},
        {"folder/", folderAsOutputReason()},
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
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no limit on the size of the files a process writes";
#else
    for (int i = 0; i < 400; ++i) {
        writeFile(path("prog/data/p" + std::to_string(i) + ".html"),
                  productRecord(numbered("R", i), "Name", "1", "t.jpg"));
    }
    writeFile(path("listing.txt"), "earlier");
    // The limit is a few kilobytes; the listing is about ten. The shell's ulimit leaves the
    // signal that such a write raises at its default, which ends a process that does not
    // handle it.
    const Outcome outcome = runLimited("-f 4", {"prog/data", "listing.txt"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, kProgram + "cannot write 'listing.txt': " + reasonFor(EFBIG) + "\n");
    EXPECT_EQ(readFile(path("listing.txt")), "earlier");
    EXPECT_EQ(entriesOf(workingDir()), (std::vector<std::string>{"listing.txt", "prog"}));
#endif
}

TEST_F(BatchCommandTest, ADataFolderThatCannotBeListedFailsTheRunAndWritesNothing) {
    writeFile(path("listing.txt"), "earlier");
    writeFile(path("prog/output.txt"), "earlier");
    fs::rename(path("prog/data"), path("data"));
    writeFile(path("prog/data"), "a file where the folder should be");
    const Outcome notAFolder = run({});
    EXPECT_EQ(notAFolder.exitCode, 1);
    EXPECT_EQ(notAFolder.err, kProgram + ("cannot open folder '" + path("prog/data/")) +
                                  "': " + reasonFor(errorNumberOf(Condition::NotAFolder)) + "\n");
    EXPECT_EQ(readFile(path("prog/output.txt")), "earlier");

#ifndef _WIN32  // Windows has no limit on a process's handles that a test could set
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers' runtime needs descriptors of its own";
    }
    // Descriptors enough to open the folder, not to list it.
    const Outcome starved = runLimited("-n 4", {"data", "listing.txt"});
    EXPECT_EQ(starved.exitCode, 1);
    EXPECT_EQ(starved.err, kProgram + "cannot list folder 'data/': " + reasonFor(EMFILE) + "\n");
    EXPECT_EQ(readFile(path("listing.txt")), "earlier");
#endif
}

TEST_F(BatchCommandTest, AFileTooLargeForTheMemoryLeftFailsTheRunWithItsPath) {
#ifdef _WIN32
    GTEST_SKIP() << "a limit on a process's memory needs a job object, which Wine does not enforce";
#else
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers reserve more address space than the limit leaves";
    }
    // Enough pages that helper threads read too, with rows before the large file's in the
    // rows of its run of files; the large file takes no disk, being sparse.
    for (int i = 0; i < 200; ++i) {
        writeFile(path("prog/data/p" + std::to_string(i) + ".html"),
                  productRecord(numbered("R", i), "Name", "1", "t.jpg"));
    }
    // A record as large as the file, whose row cannot be held.
    writeSparseRecord(path("prog/data/huge.bin"), std::uintmax_t{1} << 30);
    writeFile(path("listing.txt"), "earlier");
    const Outcome outcome = runLimited("-v 700000", {"--threads", "4", "prog/data", "listing.txt"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err,
              kProgram + "cannot read 'prog/data/huge.bin': " + reasonFor(ENOMEM) + "\n");
    EXPECT_EQ(readFile(path("listing.txt")), "earlier");
#endif
}

// Helpers only ever speed a run up: where memory or descriptors are short, the ones that get
// none leave their share to the others.
TEST_F(BatchCommandTest, UnderTightLimitsEveryThreadCountDoesWhatOneThreadDoes) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no limits on a process's memory or handles that a test could set";
#else
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers' runtime needs more memory and descriptors than allowed";
    }
    // Enough pages for every thread to take a share; their names come before the fixture's.
    std::string expected = kHeader;
    for (int i = 0; i < 3000; ++i) {
        const std::string reference = numbered("R", 10000 + i);
        writeFile(path("prog/data/" + reference + ".html"),
                  productRecord(reference, "Name", "1", "t.jpg"));
        expected += reference + "\t1\tt.jpg\tName\r\n";
    }
    expected += kRows;
    // Three descriptors for the standard ones, one for the folder, one for a file.
    for (const char* limit : {"-n 5", "-v 307200"}) {
        for (const char* threads : {"1", "2", "16", "64"}) {
            for (int repeat = 0; repeat < 3; ++repeat) {
                const Outcome outcome = runLimited(limit, {"--threads", threads, "prog/data", "-"});
                EXPECT_EQ(outcome.exitCode, 0)
                    << limit << ", --threads " << threads << ": " << outcome.err;
                EXPECT_TRUE(outcome.out == expected) << limit << ", --threads " << threads;
            }
        }
    }
#endif
}

// So does --explain: a helper without the memory to look at a page again for a near form, or
// even to name the page it ran short on, leaves the page to the others, rather than giving its
// plain explanation or failing the run.
TEST_F(BatchCommandTest, UnderTightLimitsEveryThreadCountExplainsWhatOneThreadDoes) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no limits on a process's memory that a test could set";
#else
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers' runtime needs more memory than allowed";
    }
    for (int i = 0; i < 3000; ++i) {
        writeFile(path("prog/data/" + numbered("R", 10000 + i) + ".html"),
                  "'REFERENCE' =&gt; 'R', 'NAME' =&gt; 'N', 'PRICE' =&gt; 1, ");
    }
    // Escaped pages: read through their escapes, records that lack fields; as they stand, pages
    // that give no row. Each is looked at again for its near forms.
    for (const bool unwrap : {true, false}) {
        const auto explained = [this, unwrap](const char* threads) {
            std::vector<std::string> args{"--explain", "--threads", threads, "prog/data", "-"};
            if (!unwrap) {
                args.insert(args.begin(), "--no-unwrap");
            }
            return runLimited("-v 150000", args).err;
        };
        const std::string expected = explained("1");
        ASSERT_EQ(std::count(expected.begin(), expected.end(), '&'), 3000) << expected;
        for (const char* threads : {"16", "64", "16", "64"}) {
            EXPECT_TRUE(explained(threads) == expected) << unwrap << ", --threads " << threads;
        }
    }
#endif
}

// From the first line of main on: the memory to report running out of it is set aside first.
TEST_F(BatchCommandTest, NoLimitOnMemoryMakesTheProgramAbort) {
#ifdef _WIN32
    GTEST_SKIP() << "a limit on a process's memory needs a job object, which Wine does not enforce";
#else
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers reserve more address space than the limits leave";
    }
    // How the run ends under `kib` KiB: the exit status and message, or "loader".
    const auto endUnder = [this](int kib) {
        const Outcome outcome =
            runLimited("-v " + std::to_string(kib), {"prog/data", "listing.txt"});
        // Too little even to start: the system's loader says so, before the program runs, when
        // it cannot map a library or make the first thread's storage.
        if (outcome.err.find("error while loading shared libraries") != std::string::npos ||
            outcome.err.find("cannot allocate TLS data structures") != std::string::npos) {
            return std::string("loader");
        }
        EXPECT_TRUE(outcome.exitCode == 0 || outcome.exitCode == 1)
            << kib << " KiB: " << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1)
            << kib << " KiB: " << outcome.err;
        return std::to_string(outcome.exitCode) + " " + outcome.err;
    };
    // A limit at which the program would crash lies beside those at which it fails, or where
    // the way it ends changes: there every 64 KiB is tried, elsewhere every 256.
    constexpr int kStep = 256;
    std::string below = endUnder(4096);
    for (int kib = 4096 + kStep; kib <= 16384; kib += kStep) {
        const std::string here = endUnder(kib);
        const bool same = here == below && (here == "loader" || here.starts_with("0 "));
        for (int between = kib - kStep + 64; !same && between < kib; between += 64) {
            endUnder(between);
        }
        below = here;
    }
#endif
}

// A huge row is held once: the rows read after it, in the same run of files, go to a block of
// their own instead of growing its block, which took a copy of the huge row beside it.
TEST_F(BatchCommandTest, AHugeRowIsHeldOnceWhateverRowsComeAfterIt) {
#ifdef _WIN32
    GTEST_SKIP() << "a limit on a process's memory needs a job object, which Wine does not enforce";
#else
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers reserve more address space than the limit leaves";
    }
    writeSparseRecord(path("prog/data/huge.bin"), std::uintmax_t{200} << 20);
    for (int i = 0; i < 3; ++i) {  // made after it, so read after it
        writeFile(path("prog/data/p" + std::to_string(i) + ".html"),
                  "'REFERENCE' => 'R', 'NAME' => 'N', 'PRICE' => 1, 'MIN_QUANTITY_ORDERABLE' => 1, "
                  "'THUMBNAIL' => 't',  }, ");
    }
    const Outcome outcome = runLimited("-v 450000", {"--threads", "1", "prog/data", "listing.txt"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_GT(fs::file_size(path("listing.txt")), std::uintmax_t{200} << 20);
#endif
}

TEST_F(BatchCommandTest, ControlBytesInANameAreSpelledOutInMessages) {
    const Outcome written = run({"prog/data", "new\nline\x1b[2J.txt"});
#ifdef _WIN32
    // Windows allows no control character in a name.
    EXPECT_EQ(written.exitCode, 1);
    EXPECT_EQ(written.err, kProgram + "cannot write 'new\\nline\\x1b[2J.txt': " +
                               reasonFor(ERROR_INVALID_NAME) + "\n");
#else
    EXPECT_EQ(written.err, summaryFor("new\\nline\\x1b[2J.txt"));
    makeUnreadable("prog/data/bad\nname\x1b[2J.html");
    const Outcome outcome = run({"prog/data", "listing.txt"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err,
              kProgram + unreadableFailure("prog/data/bad\\nname\\x1b[2J.html") + "\n");
    EXPECT_FALSE(fs::exists(path("listing.txt")));
#endif
}

}  // namespace
}  // namespace catalog::testing
