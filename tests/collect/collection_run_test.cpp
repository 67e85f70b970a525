#include "collect/collection_run.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "collect/program_paths.h"
#include "collect/text_files.h"
#include "platform/file_error.h"
#include "platform/paths.h"
#include "support/test_files.h"
#ifdef __linux__
#include "support/io_uring_refusal.h"
#endif

namespace catalog {
namespace {

namespace fs = std::filesystem;
using testing::kHeader;
using testing::numbered;
using testing::productRecord;
using testing::readFile;
using testing::TempDir;
using testing::writeEndlessFile;
using testing::writeFile;

// A slow page as a run told of it; an empty name says that it is over.
struct SlowPage {
    std::string name;
    std::uint64_t read = 0;
    std::uint64_t size = 0;
};

// Everything a run showed its caller, across runs, as the window keeps it.
struct Shown {
    std::vector<std::string> rows;
    std::vector<std::string> files;  // of the rows, where the run kept them
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    std::vector<SlowPage> slowPages;
    std::size_t stopAfterFiles = SIZE_MAX;
    bool stopOnSlowPage = false;
    std::function<void()> afterFirstFile;  // a change to the folder while the run reads it
};

// Stands in for a front end's progress and stop.
class RecordingClient : public CollectionClient {
public:
    RecordingClient(Shown& shown, StopFlag& stop) : m_shown(shown), m_stop(stop) {}

    void filesRead(std::size_t done, std::size_t total) override {
        m_shown.progress.emplace_back(done, total);
        if (done == 1 && m_shown.afterFirstFile) {
            m_shown.afterFirstFile();
        }
        if (done >= m_shown.stopAfterFiles) {
            m_stop.request();
        }
    }
    void slowPage(std::string_view name, std::uint64_t read, std::uint64_t size) override {
        m_shown.slowPages.push_back({std::string(name), read, size});
        if (m_shown.stopOnSlowPage) {
            m_stop.request();
        }
    }
    void slowPageOver() override { m_shown.slowPages.emplace_back(); }

private:
    Shown& m_shown;
    StopFlag& m_stop;
};

struct RunSummary {
    std::size_t filesRead = 0;
    std::size_t records = 0;
    bool dataFolderMissing = false;
};

class CollectionRunTest : public ::testing::Test {
protected:
    // A run as the front ends make it: the rows are shown, then the listing written.
    RunSummary run(const std::string& outputName = "output.txt", RunOptions options = {}) {
        StopFlag stop;
        RecordingClient client(shown, stop);
        options.stop = &stop;
        const Collected collected = runCollection(dataFolderIn(programDir()), client, options);
        for (std::size_t i = 0;
             options.rowDetails == RowDetails::All && i < collected.listing.rowCount(); ++i) {
            shown.rows.emplace_back(collected.listing.row(i));
            const Listing::RecordPlace place = collected.listing.recordOf(i);
            shown.files.push_back(
                recordName(collected.listing.file(i), place.record, place.records));
        }
        WriteTextFile(outputPathIn(programDir(), outputName), collected.listing.lines());
        return {collected.files, collected.listing.rowCount(), collected.folderMissing};
    }
    std::string programDir() const { return m_dir.path().string(); }
    std::string data(const std::string& name) const { return m_dir / ("data/" + name); }
    void makeDataFolder() const { fs::create_directory(m_dir / "data"); }
    std::string listing(const std::string& name = "output.txt") const {
        return readFile(m_dir / name);
    }

    Shown shown;
    const std::vector<std::string>& rows = shown.rows;

private:
    TempDir m_dir;
};

TEST_F(CollectionRunTest, MissingOrEmptyDataFolderWritesTheHeaderAlone) {
    EXPECT_TRUE(run().dataFolderMissing);
    EXPECT_EQ(listing(), kHeader);
    // Unless the user named the folder: then it must be there.
    EXPECT_THROW(run("named.txt", RunOptions{.requireDataFolder = true}), FileError);
    EXPECT_FALSE(fs::exists(programDir() + "/named.txt"));
    makeDataFolder();
    const RunSummary empty = run();
    EXPECT_FALSE(empty.dataFolderMissing);
    EXPECT_EQ(empty.filesRead, 0u);
    EXPECT_EQ(listing(), kHeader);
    EXPECT_TRUE(rows.empty());
}

TEST_F(CollectionRunTest, WritesOneLinePerRecordInNameOrder) {
    makeDataFolder();
    writeFile(data("b.html"), "<p>\n" + productRecord("B2", "Bolt\tM4", "0.10", "b.jpg"));
    writeFile(data("a#1.html"), productRecord("A1", "Anchor", "125", "a.jpg"));
    writeFile(data("c.html"), productRecord("C1", "Clamp", "3", "c.jpg") + "\n" +
                                  productRecord("C2", "Cord", "4", "d.jpg"));
    writeFile(data(".hidden"), productRecord("H", "Hidden", "1", "h.jpg"));
    writeFile(data("no-record.html"), "<html>nothing for sale</html>");
    writeFile(data("lower.html"), "'REFERENCE' => 'L', 'NAME' => 'L', 'price' => 1, ");
    writeFile(data("empty"), "");
    fs::create_directory(data("sub"));
    writeFile(data("sub/inner.html"), productRecord("S", "Sub", "1", "s.jpg"));
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(data("pipe").c_str(), 0600), 0);  // Windows has no FIFOs
#endif

    const RunSummary summary = run();
    EXPECT_EQ(summary.filesRead, 7u);
    EXPECT_EQ(summary.records, 5u);
    const std::vector<std::string> expectedRows = {"H\t1\th.jpg\tHidden", "A1\t125\ta.jpg\tAnchor",
                                                   "B2\t0.10\tb.jpg\tBolt\tM4",
                                                   "C1\t3\tc.jpg\tClamp", "C2\t4\td.jpg\tCord"};
    EXPECT_EQ(rows, expectedRows);
    const std::vector<std::string> expectedFiles = {".hidden", "a#1.html", "b.html",
                                                    "c.html (1 of 2)", "c.html (2 of 2)"};
    EXPECT_EQ(shown.files, expectedFiles);
    std::string lines = kHeader;
    for (const std::string& row : expectedRows) {
        lines.append(row).append("\r\n");
    }
    EXPECT_EQ(listing(), lines);
    // The batch command keeps the lines alone, and writes the same.
    run("lines.txt", RunOptions{.rowDetails = RowDetails::None});
    EXPECT_EQ(listing("lines.txt"), listing());
}

// Files are read in the file system's order, which follows the order they were made in on
// most systems: here first in a few runs of name order, then also in reverse, a run per file.
TEST_F(CollectionRunTest, RowsFollowNameOrderWhateverOrderTheFilesWereMadeIn) {
    makeDataFolder();
    const auto make = [this](int id) {
        const std::string reference = std::to_string(id);
        writeFile(data(reference + ".html"), productRecord(reference, "N", "1", "t.jpg"));
    };
    const auto expectRowsUpTo = [this](int last) {
        run();
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(last - 999));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i], std::to_string(1000 + i) + "\t1\tt.jpg\tN") << i;
            ASSERT_EQ(shown.files[i], std::to_string(1000 + i) + ".html") << i;
        }
        shown.rows.clear();
        shown.files.clear();
    };
    for (const int run : {3, 1, 4, 0, 2}) {
        for (int i = 0; i < 40; ++i) {
            make(1000 + run * 40 + i);
        }
    }
    expectRowsUpTo(1199);
    for (int id = 1399; id >= 1200; --id) {
        make(id);
    }
    expectRowsUpTo(1399);
}

TEST_F(CollectionRunTest, ASecondRunAddsTheRowsAgainAndRewritesTheListing) {
    makeDataFolder();
    writeFile(data("a.html"), productRecord("A1", "Anchor", "125", "a.jpg"));
    run();
    const std::string first = listing();
    run();
    EXPECT_EQ(rows, std::vector<std::string>(2, "A1\t125\ta.jpg\tAnchor"));
    EXPECT_EQ(listing(), first);
    EXPECT_EQ(first, kHeader + "A1\t125\ta.jpg\tAnchor\r\n");
}

TEST_F(CollectionRunTest, TheOutputNameIsJoinedToTheProgramDirectoryUnlessItIsAFullPath) {
    fs::create_directories(programDir() + "/sub");
    const TempDir elsewhere;
    run("sub/x.txt");
    run(elsewhere / "x.txt");
    EXPECT_EQ(listing("sub/x.txt"), kHeader);
    EXPECT_EQ(readFile(elsewhere / "x.txt"), kHeader);
    EXPECT_EQ(outputPathIn("/opt/cc", "/tmp/x"), "/tmp/x");
    // On Windows a name from the root lacks only the drive, or the share, which the program's
    // folder gives.
    EXPECT_EQ(outputPathIn("C:\\cc", "/tmp/x"), kWindowsNameRules ? "C:/tmp/x" : "/tmp/x");
    EXPECT_EQ(outputPathIn("\\\\server\\share\\cc", "\\x"),
              kWindowsNameRules ? "\\\\server\\share\\x" : "\\\\server\\share\\cc/\\x");
}

#ifndef _WIN32
// Reading /proc/self/mem fails with EIO, an error Windows has no file for.
#ifdef __linux__
// Small files are read several at once where the system allows it; where a sandbox refuses
// that, the files are read one by one to the same listing.
TEST_F(CollectionRunTest, ListsTheSameWhereReadingFilesTogetherIsRefused) {
    if (const std::string why = testing::whyFilesAreNotReadTogether(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    makeDataFolder();
    for (int i = 0; i < 70; ++i) {
        const std::string id = std::to_string(i);
        writeFile(data("p" + id + ".html"),
                  i % 3 == 0 ? "no record" : productRecord(id, "Item " + id, id, id + ".jpg"));
    }
    writeFile(data("empty.html"), "");
    writeFile(data("large.html"), std::string(100000, 'x') + productRecord("L", "Large", "1", "l"));
    run();
    const std::string together = listing();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const bool refused = testing::refuseIoUring(ENOSYS);
            run("refused.txt");
            std::exit(refused && listing("refused.txt") == together ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
#endif

TEST_F(CollectionRunTest, AFileThatCannotBeReadStopsTheRunBeforeAnyRow) {
    makeDataFolder();
    writeFile(data("a.html"), productRecord("A1", "Anchor", "125", "a.jpg"));
    run();
    // Opens like any file, then fails to read with EIO.
    fs::create_symlink("/proc/self/mem", data("m.html"));
    writeFile(data("z.html"), productRecord("Z", "Zed", "1", "z.jpg"));
    try {
        run();
        FAIL() << "the run went through";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), data("m.html"));
        EXPECT_EQ(error.errorNumber(), EIO);
    }
    EXPECT_EQ(rows.size(), 1u);
    EXPECT_EQ(listing(), kHeader + "A1\t125\ta.jpg\tAnchor\r\n");
}
#endif

#ifndef _WIN32
// Inodes give the reading order, and a FIFO takes the file's place: POSIX only.
TEST_F(CollectionRunTest, AFileGoneOrReplacedAfterTheListingFailsTheRunAndWritesNothing) {
    makeDataFolder();
    writeFile(data("a.html"), productRecord("A1", "Anchor", "125", "a.jpg"));
    writeFile(data("b.html"), productRecord("B2", "Bolt", "7", "b.jpg"));
    // Small files are read a batch at a time, so the changed file is the last of more files
    // than a batch holds.
    for (int i = 0; i < 40; ++i) {
        writeFile(data("page-" + std::to_string(i) + ".html"), "no record");
    }
    run();
    const std::string earlier = listing();
    const auto lastRead = [this] {
        // One thread reads the files in inode order.
        std::pair<ino_t, std::string> last{};
        for (const auto& entry : fs::directory_iterator(data(""))) {
            if (!entry.is_regular_file()) {
                continue;
            }
            struct stat status {};
            ::stat(entry.path().c_str(), &status);
            last = std::max(last, std::pair{status.st_ino, entry.path().string()});
        }
        return last.second;
    };
    const struct {
        const char* change;
        std::function<void(const std::string&)> make;
        const char* operation;
        int errorNumber;
    } cases[] = {
        {"removed", [](const std::string&) {}, "open", ENOENT},
        {"replaced by a folder", [](const std::string& p) { fs::create_directory(p); }, "read",
         EISDIR},
        {"replaced by a FIFO", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, "read",
         EINVAL},
    };
    for (const auto& c : cases) {
        const std::string second = lastRead();
        shown = Shown{};
        shown.afterFirstFile = [&] {
            fs::remove(second);
            c.make(second);
        };
        try {
            run("output.txt", RunOptions{.threads = 1});
            ADD_FAILURE() << "the run went through with the file " << c.change;
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), second) << c.change;
            EXPECT_EQ(error.operation(), c.operation) << c.change;
            EXPECT_EQ(error.errorNumber(), c.errorNumber) << c.change;
        }
        EXPECT_TRUE(rows.empty()) << c.change;
        EXPECT_EQ(listing(), earlier) << c.change;
        fs::remove(second);
        writeFile(second, "restored");
    }
}
#endif

TEST_F(CollectionRunTest, ReportsEachFileReadAndStopsWithoutWritingWhenAsked) {
    makeDataFolder();
    for (const char* name : {"a.html", "b.html", "c.html"}) {
        writeFile(data(name), productRecord(name, "Anchor", "125", "a.jpg"));
    }
    // One thread reads every file itself and reports each; with more, the calling thread
    // reports what it sees, and the end.
    const RunOptions serial{.threads = 1};
    run("output.txt", serial);
    using Progress = std::vector<std::pair<std::size_t, std::size_t>>;
    EXPECT_EQ(shown.progress, (Progress{{1, 3}, {2, 3}, {3, 3}}));
    const std::string first = listing();
    shown = Shown{};
    run("output.txt", RunOptions{.threads = 4});
    EXPECT_EQ(shown.progress.back(), (std::pair<std::size_t, std::size_t>{3, 3}));
    EXPECT_TRUE(std::is_sorted(shown.progress.begin(), shown.progress.end()));

    fs::remove(data("c.html"));
    shown = Shown{};
    shown.stopAfterFiles = 1;
    EXPECT_THROW(run("output.txt", serial), RunStopped);
    EXPECT_EQ(shown.progress, (Progress{{1, 2}}));
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(listing(), first);
}

// Told at once here, so that no machine is too fast for it: the page of many blocks by name,
// its bytes read rising to its size, then that it is over; the page of one block never.
TEST_F(CollectionRunTest, TellsOfASlowPageByNameAndBytesReadUntilItIsOver) {
    makeDataFolder();
    std::string big;
    while (big.size() < 3 * 1024 * 1024) {
        big.append(productRecord(numbered("R", static_cast<long long>(big.size())), "Anchor", "1",
                                 "a.jpg"));
    }
    writeFile(data("big.html"), big);
    writeFile(data("small.html"), productRecord("S", "Small", "1", "s.jpg"));
    run("output.txt", RunOptions{.threads = 1, .slowPageAfter = {}});
    ASSERT_GE(shown.slowPages.size(), 3u);
    EXPECT_TRUE(shown.slowPages.back().name.empty());
    std::uint64_t read = 0;
    for (auto told = shown.slowPages.begin(); told + 1 != shown.slowPages.end(); ++told) {
        EXPECT_EQ(told->name, "big.html");
        EXPECT_EQ(told->size, big.size());
        EXPECT_GT(told->read, read);
        read = told->read;
    }
    EXPECT_EQ(read, big.size());
}

// The page that never ends is told of whichever thread reads it: the calling thread between its
// blocks, or, as often, a helper while the calling thread waits for it. The stop it leads to
// ends the run, which then says that the page is over; a helper may read a block more before it
// sees the stop.
TEST_F(CollectionRunTest, TellsOfASlowPageThatAnyThreadReads) {
    makeDataFolder();
    // In the second run of files, on systems that read files in the order they were made in.
    for (int page = 0; page < 100; ++page) {
        writeFile(data(numbered("p", page)), productRecord("P", "Page", "1", "p.jpg"));
        if (page == 40) {
            writeEndlessFile(data("endless.html"));
        }
    }
    shown.stopOnSlowPage = true;
    EXPECT_THROW(run("output.txt", RunOptions{.threads = 2, .slowPageAfter = {}}), RunStopped);
    ASSERT_GE(shown.slowPages.size(), 2u);
    for (auto told = shown.slowPages.begin(); told + 1 != shown.slowPages.end(); ++told) {
        EXPECT_EQ(told->name, "endless.html");
        EXPECT_EQ(told->size, fs::file_size(data("endless.html")));
    }
    EXPECT_TRUE(shown.slowPages.back().name.empty());
}

TEST_F(CollectionRunTest, AnEmptyOutputNameFailsTheWriteAfterTheRows) {
    makeDataFolder();
    writeFile(data("a.html"), productRecord("A1", "Anchor", "125", "a.jpg"));
    EXPECT_THROW(run(""), FileError);
    EXPECT_EQ(rows.size(), 1u);
}

}  // namespace
}  // namespace catalog
