#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "app/cli/batch_command_fixture.h"
#include "platform/paths.h"
#include "platform/system_error.h"

namespace catalog::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(BatchCommandTest, WithoutArgumentsCollectsTheDataFolderBesideTheProgram) {
    const Outcome outcome = run({});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(readFile(path("prog/output.txt")), kHeader + kRows);
    EXPECT_EQ(outcome.err, summaryFor(path("prog/output.txt")));
    EXPECT_EQ(outcome.out, "");

    // An empty data folder, then none at all: the header alone, and what to do.
    const std::string headerOnly =
        "'" + path("prog/data") + "'; only the header written to " + path("prog/output.txt") + "\n";
    for (const fs::directory_entry& page : fs::directory_iterator(path("prog/data"))) {
        fs::remove(page.path());
    }
    EXPECT_EQ(
        run({}).err,
        "catalog-collector-cli: the data folder is empty: put catalog pages into " + headerOnly);
    fs::remove_all(path("prog/data"));
    const Outcome noFolder = run({});
    EXPECT_EQ(noFolder.exitCode, 0);
    EXPECT_EQ(readFile(path("prog/output.txt")), kHeader);
    EXPECT_EQ(noFolder.err,
              "catalog-collector-cli: there is no data folder: put catalog pages into a new "
              "folder " +
                  headerOnly);
}

// Pages put into subfolders are the likeliest reason for a folder without pages: it is named.
TEST_F(BatchCommandTest, AFolderOfSubfoldersSaysTheirPagesAreNotRead) {
    for (const char* page : {"a.html", "b.html", "c.html"}) {
        fs::remove(path("prog/data/" + std::string(page)));
    }
    fs::create_directories(path("prog/data/2024"));
    fs::create_directories(path("prog/data/old"));
    writeFile(path("prog/data/2024/a.html"), productRecord("A1", "Anchor", "125", "a.jpg"));
#ifndef _WIN32
    fs::create_symlink("gone.html", path("prog/data/dangling.html"));
#endif
    EXPECT_EQ(run({}).err,
              "catalog-collector-cli: the data folder holds no pages (it has 2 "
              "subfolders, and pages in subfolders are not read): put catalog pages "
              "into '" +
                  path("prog/data") + "'; only the header written to " + path("prog/output.txt") +
                  "\n");
#ifndef _WIN32
    fs::remove_all(path("prog/data/2024"));
    fs::remove_all(path("prog/data/old"));
    EXPECT_NE(run({}).err.find(" holds no pages, only pipes, devices or links that lead nowhere: "),
              std::string::npos);
#endif
}

// A listing over a program would stay executable, and one among the pages would be read as a
// page: both are refused before the run, under any name.
TEST_F(BatchCommandTest, NeitherAProgramNorAFileInTheDataFolderIsWrittenOver) {
    const std::string cli = std::string("prog/") + CLI_PROGRAM_NAME;
    const std::string window = "prog/catalog-collector" + std::string(kProgramSuffix);
    writeFile(path(window), "the window");
    const std::string inData = "it lies in the data folder " + inFolder("prog/data", "") +
                               ", whose every file a run reads as a page";
    const auto replacing = [](const std::string& program) {
        return "it is the program " + program + ", which the listing would replace";
    };
    std::vector<std::pair<std::string, std::string>> cases = {
        {cli, replacing("catalog-collector-cli")},
        {window, replacing("catalog-collector")},
        {"prog/data/new.txt", inData},
        {"prog/../prog/data/a.html", inData},
    };
#ifndef _WIN32
    fs::create_hard_link(path(cli), path("copy"));
    fs::create_directory_symlink("prog/data", path("pages"));
    fs::create_symlink("pages/b.html", path("to-page"));
    cases.insert(cases.end(), {{"copy", replacing("catalog-collector-cli")},
                               {"pages/new.txt", inData},
                               {"to-page", inData}});
#endif
    for (const auto& [output, reason] : cases) {
        const Outcome outcome = run({"prog/data", output});
        EXPECT_EQ(outcome.exitCode, 1) << output;
        EXPECT_EQ(outcome.err, "catalog-collector-cli: cannot write '" + output + "': " + reason +
                                   "; name another output\n");
    }
    EXPECT_EQ(entriesOf(path("prog/data")),
              (std::vector<std::string>{"a.html", "b.html", "c.html"}));
    EXPECT_EQ(readFile(path(window)), "the window");
    EXPECT_EQ(run({"prog/data", "out.txt"}).exitCode, 0);
    // A run reads no subfolder, so a listing may go there.
    fs::create_directory(path("prog/data/lists"));
    EXPECT_EQ(run({"prog/data", "prog/data/lists/out.txt"}).exitCode, 0);
}

// One line for each page without a record, for each record with a field not found and for each
// page read through a wrapping, after the one-line summary, and only when asked; the listing is
// the same either way. Read as they stand (--no-unwrap), the escaped pages give no row, and where
// a page holds a near form of what is missing, the line says what differs.
TEST_F(BatchCommandTest, ExplainSaysWhyEachPageGaveNoRowOrAFieldWasNotFound) {
    std::string cut = productRecord("E1", "Eye bolt", "3", "e.jpg");
    std::string unclosed = cut;
    cut.replace(cut.find("',  }, "), 7, "', }, ");
    unclosed.erase(unclosed.find("',  }, "));
    std::string escaped = productRecord("F1", "Flange", "4", "f.jpg");
    for (std::size_t at = escaped.find('>'); at != std::string::npos; at = escaped.find('>', at)) {
        escaped.replace(at, 1, "&gt;");
    }
    writeFile(path("prog/data/d.html"), productRecord("D1", "Drill", "9", "d.jpg") + cut);
    writeFile(path("prog/data/e.html"), unclosed);
    writeFile(path("prog/data/f.html"), std::string(100'000, ' ') + escaped);
    // Looked at as far as its first 64 MiB only.
    writeFile(path("prog/data/g.html"), std::string(std::size_t{64} << 20, ' ') + escaped);

    const Outcome plain = run({"prog/data", "plain.txt"});
    const Outcome explained = run({"--explain", "prog/data", "explained.txt"});
    const Outcome asTheyStand = run({"--explain", "--no-unwrap", "prog/data", "as-is.txt"});
    EXPECT_EQ(readFile(path("plain.txt")), readFile(path("explained.txt")));
    const std::string summary =
        "catalog-collector-cli: 7 records written to explained.txt from 7 pages (1 without a "
        "record, 2 with a field not found, 1 with several records, 2 read through a wrapping)\n";
    EXPECT_EQ(plain.err, std::string(summary).replace(summary.find("explained"), 9, "plain"));
    const std::string lacking =
        "c.html: no record: no `', 'PRICE' => ` in the page\n"
        "d.html (2 of 2): thumbnail not found: `', }, ` has one blank before `}` where the "
        "record format has two\n"
        "e.html: thumbnail not found: `, 'THUMBNAIL' => '` found, but no `',  }, ` after it\n";
    EXPECT_EQ(explained.err, summary + lacking +
                                 "f.html: read with its HTML escapes decoded (`&#039;` as `'`)\n"
                                 "g.html: read with its HTML escapes decoded (`&#039;` as `'`)\n");
    EXPECT_EQ(asTheyStand.err,
              "catalog-collector-cli: 5 records written to as-is.txt from 7 pages (3 without a "
              "record, 2 with a field not found, 1 with several records)\n" +
                  lacking +
                  "f.html: no record: the page holds the record with `>` written as `&gt;`, as a "
                  "browser saves a page's text: save the page as 'HTML only' or its source\n" +
                  "g.html: no record: no `', 'PRICE' => ` in the page\n");
}

TEST_F(BatchCommandTest, WritesTheNamedFolderToAPathOrStandardOutput) {
    const Outcome toFile = run({"prog/data", "listing.txt"});
    EXPECT_EQ(toFile.exitCode, 0) << toFile.err;
    EXPECT_EQ(readFile(path("listing.txt")), kHeader + kRows);

    const Outcome toStdout = run({path("prog/data/"), "-"});
    EXPECT_EQ(toStdout.exitCode, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, kHeader + kRows);
    EXPECT_NE(toStdout.err.find("records written to standard output"), std::string::npos);

    EXPECT_EQ(run({"prog/data"}).exitCode, 0);
    EXPECT_EQ(readFile(path("prog/output.txt")), kHeader + kRows);
}

TEST_F(BatchCommandTest, AFailedRunExitsWithOneAndWritesNothing) {
    writeFile(path("listing.txt"), "earlier");
    fs::create_directory(path("folder"));
    fs::create_directory(path("-data"));

    const Outcome missing = run({"no-such-folder", "listing.txt"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "catalog-collector-cli: cannot open data folder 'no-such-folder': " +
                               reasonFor(errorNumberOf(Condition::NoSuchFile)) + "\n");

    const Outcome intoFolder = run({"prog/data", "folder"});
    EXPECT_EQ(intoFolder.exitCode, 1);
    EXPECT_EQ(intoFolder.err,
              "catalog-collector-cli: cannot write 'folder': " + folderAsOutputReason() + "\n");
    EXPECT_TRUE(fs::is_empty(path("folder")));

    makeUnreadable("prog/data/m.html");
    const Outcome unreadable = run({"prog/data", "listing.txt"});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_EQ(unreadable.err, "catalog-collector-cli: " +
                                  unreadableFailure(inFolder("prog/data", "m.html")) + "\n");
    EXPECT_EQ(readFile(path("listing.txt")), "earlier");
    EXPECT_EQ(unreadable.out, "");
    EXPECT_EQ(run({"--", "-data", "-"}).out, kHeader);
}

// Enough files for several workers' worth, made in an order unlike the names' order. Gives the
// listing a serial run in name order writes.
std::string fillMixedFolder(const fs::path& folder) {
    fs::create_directory(folder);
    std::map<std::string, std::string> rows;
    for (int i = 0; i < 1000; ++i) {
        const std::string name = numbered("p", i * 7919 % 1000) + ".html";
        const std::string reference = numbered("R", i);
        if (i % 5 == 0) {
            writeFile(folder / name, "<p>no record</p>");
        } else if (i % 5 == 1) {
            writeFile(folder / name, "");
        } else if (i % 5 == 2) {
            writeFile(folder / name, productRecord(reference, "Caf\xE9", "1", "t\tx"));
            rows[name] = reference + "\t1\tt\tx\tCaf\xE9\r\n";
        } else {
            writeFile(folder / name, "<p>" + productRecord(reference, "N", "2", "x.jpg"));
            rows[name] = reference + "\t2\tx.jpg\tN\r\n";
        }
    }
    std::string listing = kHeader;
    for (const auto& [name, row] : rows) {
        listing += row;
    }
    return listing;
}

TEST_F(BatchCommandTest, EveryThreadCountWritesTheSameListingAndReportsTheSameFailure) {
    const std::string expected = fillMixedFolder(path("mixed"));
    const std::string explained = run({"--threads", "1", "--explain", "mixed", "-"}).err;
    EXPECT_NE(explained.find("600 records written to"), std::string::npos);
    for (const char* threads : {"1", "2", "7"}) {
        const Outcome outcome = run({"--threads", threads, "--explain", "mixed", "-"});
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_TRUE(outcome.err == explained) << "--threads " << threads;
        EXPECT_TRUE(outcome.out == expected) << "--threads " << threads;
    }
    EXPECT_EQ(run({"--threads=2", "mixed", "-"}).out.size(), expected.size());

    // The failure reported is the first in name order, whichever worker meets which first.
    makeUnreadable("mixed/p5.html.bad");
    makeUnreadable("mixed/p999.html.bad");
    for (const char* threads : {"1", "2"}) {
        const Outcome failed = run({"--threads", threads, "mixed", "listing.txt"});
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_NE(failed.err.find("'" + inFolder("mixed", "p5.html.bad") + "'"), std::string::npos)
            << failed.err;
        EXPECT_FALSE(fs::exists(path("listing.txt")));
    }
}

TEST_F(BatchCommandTest, UsageErrorsExitWithTwo) {
    const Outcome tooMany = run({"a", "b", "c"});
    EXPECT_EQ(tooMany.exitCode, 2);
    EXPECT_NE(tooMany.err.find("too many arguments"), std::string::npos);
    EXPECT_EQ(run({"--frobnicate"}).exitCode, 2);
    // The argument is shown as a name is, in case a terminal would act on it.
    const Outcome hidden = run({std::string("--\xe2\x80\xae") + "x\x1b[2J"});
    EXPECT_NE(hidden.err.find("'--\\xe2\\x80\\xaex\\x1b[2J'"), std::string::npos);
    for (const char* threads : {"0", "257", "2x", "", "-1"}) {
        const Outcome badThreads = run({"--threads", threads});
        EXPECT_EQ(badThreads.exitCode, 2) << threads;
        EXPECT_NE(badThreads.err.find("--threads takes a number from 1 to 256"), std::string::npos);
    }
    EXPECT_EQ(run({"--threads"}).exitCode, 2);
    for (const char* format : {"--format=XLSX", "--format=", "--format"}) {
        EXPECT_NE(run({format}).err.find("--format takes txt, csv or xlsx"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(path("prog/output.txt")));

    const Outcome help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with(
        "Usage: catalog-collector-cli [--explain] [--no-unwrap] [--threads N] [--format F] "
        "[DATA_DIR [OUTPUT]]" +
        std::string(kNewline)));
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out,
              "catalog-collector-cli " CATALOG_COLLECTOR_VERSION + std::string(kNewline));
}

}  // namespace
}  // namespace catalog::testing
