#include "window/window_run.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <iterator>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/system_error.h"
#include "support/test_files.h"
#include "window/output_name.h"
#include "window/run_steps.h"
#include "window/window_texts.h"

namespace catalog::window {
namespace {

namespace fs = std::filesystem;
using testing::kHeader;
using testing::productRecord;
using testing::readFile;
using testing::TempDir;
using testing::writeEndlessFile;
using testing::writeFile;

// Runs as a window would, waiting for the end it is told of.
class WindowRunTest : public ::testing::Test {
protected:
    WindowRunTest() { fs::create_directory(m_dir.path() / "data"); }

    void page(const std::string& name, std::string_view bytes) {
        writeFile(m_dir / ("data/" + name), bytes);
    }
    bool start(const std::string& outputName = "output.txt") {
        return m_run.start(m_dir.path().string(), outputName);
    }
    void waitForEnd() {
        std::unique_lock lock(m_mutex);
        EXPECT_TRUE(m_ended.wait_for(lock, std::chrono::seconds(20), [this] { return m_told; }));
        m_told = false;
    }
    RunOutcome waitForOutcome() {
        waitForEnd();
        return m_run.takeOutcome();
    }
    std::string path(const std::string& name) const { return m_dir / name; }

    TempDir m_dir;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_told = false;
    WindowRun m_run{[this] {
        const std::lock_guard lock(m_mutex);
        m_told = true;
        m_ended.notify_all();
    }};
};

// What the window shows at the end: the status in the bar's place, the bar's last figures
// without the note of a page that was slow to read, the rows, and the listing a copy names.
TEST_F(WindowRunTest, WritesTheListingAndItsEndShowsWhatItFound) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    page("b.html", "'REFERENCE' => 'B2', 'NAME' => 'Bolt', 'PRICE' => 7, ");
    ASSERT_TRUE(start());
    waitForEnd();
    Progress last = m_run.progress();
    EXPECT_EQ(last.done, 2u);
    last.slowPage = SlowPage{"big.html", 1'000, 60'000};
    const RunStep ended = runEnded(m_run.takeOutcome(), last);
    EXPECT_FALSE(m_run.running());
    EXPECT_EQ(ended.progress, (ShownProgress{1'000, 60'000, ""}));
    ASSERT_TRUE(ended.rows);
    EXPECT_EQ(ended.rows->listing.rowCount(), 2u);
    EXPECT_EQ(readFile(path("output.txt")),
              kHeader +
                  "A1\t125\ta.jpg\tAnchor\r\nB2\tString Matching Failed\tString "
                  "Matching Failed\tBolt\r\n");
    EXPECT_EQ(ended.status.text,
              "2 records written to output.txt from 2 pages (1 with a field not found)");
    EXPECT_EQ(ended.status.details, path("output.txt"));
    EXPECT_EQ(ended.lastListing, path("output.txt"));
    EXPECT_TRUE(ended.announce);
}

// The rows say why: a dimmed cell names the marker its record lacks, or what its page holds in
// its place, and the rows of a page with several records say which record each is.
TEST_F(WindowRunTest, CellsTellWhyAFieldWasNotFoundAndWhichRecordARowIs) {
    const std::string lacking =
        "'REFERENCE' => 'B2', 'NAME' => 'Bolt', 'PRICE' => 7, 'THUMBNAIL' => 'b.jpg'";
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg") + lacking);
    page("b.html", lacking + ", }, ");
    page("c.html", "<p>no record</p>");
    ASSERT_TRUE(start());
    RunOutcome outcome = waitForOutcome();
    ASSERT_TRUE(outcome.rows);
    RowTable table;
    table.append(std::move(*outcome.rows));
    EXPECT_EQ(table.cell(0, kFileColumn).text, "a.html (1 of 2)");
    EXPECT_EQ(table.tooltip(0, kFileColumn), "a.html (1 of 2)");
    EXPECT_EQ(table.tooltip(0, 1), "125");
    EXPECT_EQ(table.cell(1, kFileColumn).text, "a.html (2 of 2)");
    EXPECT_EQ(table.cell(2, kFileColumn).text, "b.html");
    for (const std::size_t row : {1, 2}) {
        EXPECT_EQ(table.tooltip(row, 1),
                  "String Matching Failed\n`', 'PRICE' => ` found, but no `, "
                  "'MIN_QUANTITY_ORDERABLE' => ` after it");
    }
    EXPECT_EQ(table.tooltip(1, 2),
              "String Matching Failed\n`, 'THUMBNAIL' => '` found, but no `',  }, ` after it");
    EXPECT_EQ(table.tooltip(2, 2),
              "String Matching Failed\n`', }, ` has one blank before `}` where the record format "
              "has two");
    EXPECT_EQ(table.notFoundDescription(2, 2),
              "The field was not found: `', }, ` has one blank before `}` where the record "
              "format has two");
    EXPECT_EQ(table.notFoundDescription(0, 1), "");
    EXPECT_EQ(statusAfter(outcome).text,
              "3 records written to output.txt from 3 pages (1 without "
              "a record, 2 with a field not found, 1 with several "
              "records)");
    // The status offers the list of those pages, a line for each record lacking a field.
    EXPECT_TRUE(statusAfter(outcome).offersPageList);
    ASSERT_EQ(outcome.troublePages.lineCount(), 3u);
    EXPECT_EQ(outcome.troublePages.pagePath(2), path("data") + kPathSeparator + "c.html");
}

TEST_F(WindowRunTest, AFailedWriteKeepsTheRowsAndAMissingFolderIsTold) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    ASSERT_TRUE(start("missing/out.txt"));
    RunOutcome outcome = waitForOutcome();
    ASSERT_TRUE(outcome.failure);
    EXPECT_EQ(outcome.failure->operation, "write");
    EXPECT_EQ(outcome.rows->listing.rowCount(), 1u);
    // The folder that is missing, and what to do; the folder is what a narrow window shortens.
    const std::string folder = (m_dir.path() / "missing").string();
    const StatusText failed = statusAfter(outcome);
    EXPECT_EQ(failed.text, "Failed; nothing written: the folder " + folder +
                               " does not exist: make it, or save to another folder");
    EXPECT_EQ(failed.text.substr(failed.pathStart, failed.pathLength), folder);
    EXPECT_FALSE(failed.offersPageList);
    // Shown as Windows reads it, with its own separators.
    EXPECT_NE(failureTextFor(*outcome.failure)
                  .details.find((m_dir.path() / "missing" / "out.txt").string()),
              std::string::npos);

    fs::remove_all(m_dir.path() / "data");
    ASSERT_TRUE(start());
    outcome = waitForOutcome();
    // What to do first, then the folder, as a user types it, which a narrow window shortens.
    const StatusText status = statusAfter(outcome);
    EXPECT_EQ(status.text,
              "There is no data folder: put catalog pages into a new folder " + path("data"));
    EXPECT_EQ(status.text.substr(status.pathStart, status.pathLength), path("data"));
    EXPECT_TRUE(status.offersDataFolder);
    EXPECT_EQ(readFile(path("output.txt")), kHeader);
}

// Saved where the path says, whatever the program's folder, and named as resolved: by the
// system on Linux, where ".." after a link leaves where the link leads; by the text alone on
// Windows, where a name from the root goes on the program's drive.
TEST_F(WindowRunTest, AFullPathIsWrittenThereAndNamedAsResolved) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    const TempDir elsewhere;
    fs::create_directories(elsewhere.path() / "sub" / "deeper");
    const fs::path written = elsewhere.path() / "sub" / "out.txt";
    std::string name = elsewhere / "sub/deeper/../out.txt";
#ifdef _WIN32
    name = "\\" + fs::path(name).relative_path().string();
#else
    fs::create_directory_symlink(elsewhere.path() / "sub" / "deeper", elsewhere.path() / "link");
    name = elsewhere / "link/../out.txt";
#endif
    const std::string shown = (fs::canonical(written.parent_path()) / "out.txt").string();
    ASSERT_TRUE(start(name));
    RunOutcome outcome = waitForOutcome();
    ASSERT_FALSE(outcome.failure) << failureTextFor(*outcome.failure).details;
    EXPECT_EQ(readFile(written), kHeader + "A1\t125\ta.jpg\tAnchor\r\n");
    EXPECT_EQ(statusAfter(outcome).details, shown);
    writeFile(written, "mine");
    EXPECT_EQ(replaceQuestion(m_dir.path().string(), name),
              shown + " exists and is not a listing: replace it?");

    // Nothing to resolve: the path as given, with the system's error number and its words.
    const std::string missing = (elsewhere.path() / "missing" / "out.txt").string();
    ASSERT_TRUE(start(missing));
    outcome = waitForOutcome();
    ASSERT_TRUE(outcome.failure);
    EXPECT_NE(outcome.failure->errorNumber, 0);
    EXPECT_FALSE(outcome.failure->description.empty());
    EXPECT_EQ(failureTextFor(*outcome.failure).details,
              "Could not write \"" + missing + "\".\nError " +
                  std::to_string(outcome.failure->errorNumber) + ": " +
                  outcome.failure->description);
}

// A blank at the name's start or end would be lost among the words around it.
TEST_F(WindowRunTest, ANameBeginningWithABlankIsQuoted) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    ASSERT_TRUE(start(" out.txt"));
    const StatusText status = statusAfter(waitForOutcome());
    EXPECT_EQ(status.text, "1 record written to \" out.txt\" from 1 page");
    EXPECT_EQ(status.text.substr(status.pathStart, status.pathLength), "\" out.txt\"");
}

TEST_F(WindowRunTest, AStopDuringTheRunEndsItPromptlyAndWritesNothing) {
    m_run.stop();  // no run to stop: the next one is not stopped by it
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    writeEndlessFile(path("data/endless.html"), "<p>");
    ASSERT_TRUE(start());
    EXPECT_FALSE(start());  // one run at a time
    m_run.stop();
    m_run.stop();
    waitForEnd();
    // Under way until the window has taken its end.
    EXPECT_TRUE(m_run.running());
    EXPECT_FALSE(start());
    const RunOutcome outcome = m_run.takeOutcome();
    EXPECT_TRUE(outcome.stopped);
    EXPECT_FALSE(outcome.rows);
    EXPECT_FALSE(fs::exists(path("output.txt")));
    EXPECT_EQ(statusAfter(outcome).text, "Run stopped");
}

#ifndef _WIN32
// A reader that never reads: the listing, larger than the pipe holds, waits for room.
TEST_F(WindowRunTest, AStopWhileTheListingWaitsForAPipesReaderEndsTheRun) {
    page("a.html", productRecord("A1", std::string(std::size_t{1} << 20, 'n'), "125", "a.jpg"));
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);  // Windows has no FIFOs
    const int reader = ::open(path("pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(start("pipe"));
    const int capacity = ::fcntl(reader, F_GETPIPE_SZ);
    for (int held = 0; held < capacity && m_run.running();) {
        std::this_thread::yield();
        ::ioctl(reader, FIONREAD, &held);
    }
    m_run.stop();
    EXPECT_TRUE(waitForOutcome().stopped);
    ::close(reader);
}
#endif

#ifdef _WIN32
TEST_F(WindowRunTest, ANameWithADriveOrALongPrefixIsUsedAsItStands) {
    const TempDir elsewhere;
    const std::string full = (elsewhere.path() / "out.txt").string();
    for (const std::string& name : {full, "\\\\?\\" + full}) {
        ASSERT_TRUE(start(name));
        EXPECT_FALSE(waitForOutcome().failure) << name;
        EXPECT_EQ(readFile(elsewhere / "out.txt"), kHeader) << name;
        fs::remove(elsewhere / "out.txt");
    }
}

// Refused before the run: nothing read, nothing created, and the user asked for another name.
TEST_F(WindowRunTest, ADeviceNameOrAStreamIsRefusedBeforeTheRun) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    for (const std::string name : {"NUL.txt", "com1", "output.txt:ads"}) {
        ASSERT_TRUE(start(name));
        const RunOutcome outcome = waitForOutcome();
        ASSERT_TRUE(outcome.failure) << name;
        EXPECT_FALSE(outcome.rows) << name;
        const FailureText text = failureTextFor(*outcome.failure);
        EXPECT_EQ(text.message, "The listing cannot be saved under this name.");
        EXPECT_TRUE(text.details.starts_with("\"" + name + "\"")) << text.details;
        EXPECT_NE(text.details.find("Please choose"), std::string::npos) << text.details;
        const StatusText status = statusAfter(outcome);
        EXPECT_TRUE(status.text.starts_with("Name refused; nothing written: \"" + name + "\""));
        EXPECT_EQ(status.text.substr(status.pathStart, status.pathLength), "\"" + name + "\"");
    }
    EXPECT_EQ(refusalText({OutputRefusal::Kind::Stream}, "out.txt:ads"),
              "\"out.txt:ads\" holds a colon, which names a stream hidden inside a file on "
              "Windows. Please choose a name without a colon.");
    EXPECT_EQ(m_run.progress().total, 0u);
    const auto entries = fs::directory_iterator(m_dir.path());
    EXPECT_EQ(std::distance(fs::begin(entries), fs::end(entries)), 1);  // the data folder
}

// Held open without sharing, by an editor say: no question, no run, and the user told what to do.
TEST_F(WindowRunTest, AFileHeldOpenByAnotherProgramIsNamedAndNoRunStarts) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    writeFile(path("held.txt"), "mine");
    const HANDLE held = ::CreateFileW(fs::path(path("held.txt")).wstring().c_str(), GENERIC_READ, 0,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(replaceQuestion(m_dir.path().string(), "held.txt"));
    ASSERT_TRUE(start("held.txt"));
    const RunOutcome outcome = waitForOutcome();
    ::CloseHandle(held);
    EXPECT_FALSE(outcome.rows);
    EXPECT_EQ(statusAfter(outcome).text,
              "Failed; nothing written: " + path("held.txt") +
                  " is open in another program: close it there, or save to another name");
    EXPECT_EQ(readFile(path("held.txt")), "mine");
}

// Windows drops the dots and blanks that end a name: the file it makes is the one named.
TEST_F(WindowRunTest, ANameEndingInDotsOrBlanksIsNamedAsTheFileMade) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    ASSERT_TRUE(start("liste.txt. "));
    const RunOutcome outcome = waitForOutcome();
    EXPECT_EQ(statusAfter(outcome).text, "1 record written to liste.txt from 1 page");
    EXPECT_EQ(statusAfter(outcome).details, path("liste.txt"));
    writeFile(path("liste.txt"), "mine");
    EXPECT_EQ(replaceQuestion(m_dir.path().string(), "liste.txt."),
              path("liste.txt") + " exists and is not a listing: replace it?");
}

// A read-only file is neither asked about nor replaced: the run fails before it reads a page.
TEST_F(WindowRunTest, AReadOnlyFileIsRefusedWithoutAQuestionBeforeTheRun) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    writeFile(path("notes.txt"), "mine");
    fs::permissions(path("notes.txt"), fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(replaceQuestion(m_dir.path().string(), "notes.txt"));
    ASSERT_TRUE(start("notes.txt"));
    const RunOutcome outcome = waitForOutcome();
    ASSERT_TRUE(outcome.failure);
    EXPECT_FALSE(outcome.rows);
    EXPECT_NE(failureTextFor(*outcome.failure).details.find("notes.txt is read-only"),
              std::string::npos);
    EXPECT_EQ(readFile(path("notes.txt")), "mine");
    fs::permissions(path("notes.txt"), fs::perms::owner_write, fs::perm_options::add);
}
#endif

// A run that found no page asks before it replaces a listing with rows with the header alone:
// the data folder may be the wrong one. No writes nothing; a stop meanwhile (a closed window)
// neither. A listing of the header alone is replaced without a word.
TEST_F(WindowRunTest, AnEmptyRunAsksBeforeReplacingAListingWithRows) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    ASSERT_TRUE(start());
    waitForOutcome();
    const std::string withRows = readFile(path("output.txt"));
    fs::remove(path("data/a.html"));
    for (const std::string answer : {"no", "stopped", "yes"}) {
        ASSERT_TRUE(start());
        const RunOutcome asking = waitForOutcome();
        ASSERT_TRUE(asking.question) << answer;
        EXPECT_EQ(*asking.question, "No pages were found in " + path("data") +
                                        ": replace output.txt, a listing with rows, with one of "
                                        "the header alone?");
        EXPECT_TRUE(m_run.running());
        EXPECT_FALSE(start());
        if (answer == "stopped") {
            m_run.stop();
        }
        m_run.answer(answer != "no");
        const RunOutcome outcome = waitForOutcome();
        EXPECT_FALSE(m_run.running());
        EXPECT_EQ(readFile(path("output.txt")), answer == "yes" ? kHeader : withRows) << answer;
        EXPECT_EQ(outcome.stopped, answer == "stopped");
        if (answer == "no") {
            EXPECT_EQ(statusAfter(outcome).text,
                      "Nothing written: no pages were found in " + path("data") +
                          ", and output.txt keeps its rows as you chose");
        }
    }
    ASSERT_TRUE(start());
    EXPECT_FALSE(waitForOutcome().question);
}

// A file put in the listing's place while the user is asked is not replaced on a Yes meant for
// the listing: it was never asked about.
TEST_F(WindowRunTest, AFileThatTakesTheListingsPlaceDuringTheQuestionIsKept) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    ASSERT_TRUE(start());
    waitForOutcome();
    fs::remove(path("data/a.html"));
    ASSERT_TRUE(start());
    ASSERT_TRUE(waitForOutcome().question);
    writeFile(path("output.txt"), "my notes");
    m_run.answer(true);
    const RunOutcome outcome = waitForOutcome();
    EXPECT_EQ(readFile(path("output.txt")), "my notes");
    EXPECT_NE(statusAfter(outcome).text.find("is not a listing: collect again to be asked"),
              std::string::npos)
        << statusAfter(outcome).text;
}

// A workbook's rows lie past its start: it is read through to tell, once its own run found none.
TEST_F(WindowRunTest, AnEmptyRunAsksBeforeReplacingAWorkbookWithRows) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    ASSERT_TRUE(start("products.xlsx"));
    waitForOutcome();
    fs::remove(path("data/a.html"));
    for (const bool rows : {true, false}) {
        ASSERT_TRUE(start("products.xlsx"));
        const RunOutcome outcome = waitForOutcome();
        EXPECT_EQ(outcome.question.has_value(), rows);
        if (outcome.question) {
            m_run.answer(true);
            waitForOutcome();
        }
    }
}

// Every failure names its path and says after a colon what to do.
TEST_F(WindowRunTest, AFolderAsTheOutputIsNamedWithWhatToDo) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    fs::create_directory(path("out.txt"));
    ASSERT_TRUE(start("out.txt"));
    const StatusText status = statusAfter(waitForOutcome());
    const std::string said = kWindowsNameRules
                                 ? "Failed; nothing written: could not write " + path("out.txt") +
                                       ": it is a folder: save to another name"
                                 : "Failed; nothing written: " + path("out.txt") +
                                       " is a folder: type the name of a file to "
                                       "save to";
    EXPECT_EQ(status.text, said);
    EXPECT_EQ(status.text.substr(status.pathStart, status.pathLength), path("out.txt"));
}

#ifndef _WIN32
// Its start fails to read (as a file of the user's might), so it is not known to be a listing:
// neither asked about nor replaced, and no page is read.
TEST_F(WindowRunTest, AFileThatCannotBeReadToTellIsRefusedBeforeTheRun) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    const std::string unreadable = "/proc/self/mem";
    EXPECT_FALSE(replaceQuestion(m_dir.path().string(), unreadable));
    ASSERT_TRUE(start(unreadable));
    const RunOutcome outcome = waitForOutcome();
    ASSERT_TRUE(outcome.failure);
    EXPECT_FALSE(outcome.rows);
    EXPECT_EQ(m_run.progress().total, 0u);
    EXPECT_EQ(statusAfter(outcome).text, "Failed; nothing written: " + outcome.failure->path +
                                             " cannot be read to tell whether it is a listing (" +
                                             outcome.failure->description +
                                             "): make it readable, or save to another name");
}
#endif

// Each form the window writes is known by its start, whatever its name, and replaced without a
// question; the status names the form.
TEST_F(WindowRunTest, EachFormOfTheListingIsReplacedWithoutAQuestionWhateverItsName) {
    page("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    const std::string folder = m_dir.path().string();
    for (const auto& [name, words] : {std::pair{"list.csv", "list.csv, a CSV file, from"},
                                      {"book.XLSX", "book.XLSX, a workbook, from"},
                                      {"list.txt", "list.txt from"}}) {
        ASSERT_TRUE(start(name));
        EXPECT_NE(statusAfter(waitForOutcome()).text.find(words), std::string::npos) << name;
        writeFile(path("renamed"), readFile(path(name)));
        EXPECT_FALSE(replaceQuestion(folder, "renamed")) << name;
    }
    writeFile(path("renamed"), "PK\x03\x04 another zip");
    EXPECT_TRUE(replaceQuestion(folder, "renamed"));
}

// The listing file holds the rows only if the last run wrote one.
TEST(WindowTexts, ACopyTooLargeGivesTheLimitAndNamesAListingOnlyIfOneWasWritten) {
    EXPECT_EQ(copyRefusedStatus(CopyRefusal::TooLarge, 2, "").text,
              "Too large to copy: more than 64 MB");
    const StatusText written = copyRefusedStatus(CopyRefusal::TooLarge, 2, "/p/output.txt");
    EXPECT_EQ(written.text,
              "Too large to copy: more than 64 MB; the listing file holds these rows");
    EXPECT_EQ(written.details,
              "The rows chosen hold more than 64 MB, the most that is copied at once: open "
              "/p/output.txt instead");
}

TEST(WindowTexts, CountsReadAtAGlanceAndTheNoDisplayLineNamesTheBatchCommand) {
    Listing listing;
    const std::string_view block = listing.hold("R\t1\tt\tN\r\n");
    listing.addPage("f");
    const std::span<const FieldLengths> fields =
        listing.holdFields(std::vector<FieldLengths>(1234, {1, 1, 1}));
    for (const FieldLengths& row : fields) {
        listing.addLine(block, row);
    }
    RunOutcome outcome;
    outcome.rows.emplace(std::move(listing));
    outcome.counts = {.pages = 1240, .rows = 1234, .worthTelling = {}, .subfoldersWithPages = 0};
    outcome.outputName = "output.txt";
    EXPECT_EQ(statusAfter(outcome).text, "1,234 records written to output.txt from 1,240 pages");
    outcome.outputName = "two\nlines.txt";  // pasted into the box: the status stays one line
    EXPECT_EQ(statusAfter(outcome).text,
              "1,234 records written to two\u21b5lines.txt from 1,240 pages");
    const std::string line = noDisplayMessage("could not connect\nto display :99");
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(line.find("catalog-collector-cli"), std::string::npos);
    RunFailure failure{"read", "data/x.html", errorNumberOf(Condition::NoSuchFile), "gone"};
    EXPECT_EQ(failureTextFor(failure).details,
              "Could not read \"data/x.html\".\nError " +
                  std::to_string(errorNumberOf(Condition::NoSuchFile)) + ": gone");
}

}  // namespace
}  // namespace catalog::window
