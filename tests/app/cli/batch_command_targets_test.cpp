// Where the listing goes when the output is not a plain file: devices, pipes and sockets are
// written into as by any Unix tool, the program's own descriptors as they stand, links stay
// links, and a replaced file stays its owner's.

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/cli/batch_command_fixture.h"

namespace catalog::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(BatchCommandTest, PipesAndStandardOutputAreWrittenIntoAsTheyStand) {
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    StartedProgram reader("/bin/cat", {"fifo"}, workingDir());
    const Outcome writer = run({"prog/data", "fifo"});
    if (writer.exitCode != 0 || !fs::is_fifo(path("fifo"))) {
        ::kill(reader.pid(), SIGKILL);  // it would wait for a writer for ever
    }
    EXPECT_EQ(writer.err, summaryFor("fifo"));
    EXPECT_EQ(reader.wait().out, kHeader + kRows);
    EXPECT_TRUE(fs::is_fifo(path("fifo")));

    // Standard output as a pipe, as in a shell pipeline.
    const Outcome piped = runInShell("\"$0\" prog/data /dev/stdout | cat");
    EXPECT_EQ(piped.out, kHeader + kRows);
    EXPECT_EQ(piped.err, summaryFor("/dev/stdout"));

    // A name of the program's own standard output, or a link to one, is that descriptor as the
    // shell left it: what the shell wrote before stays, and `>>` appends.
    std::string log = "earlier\n";
    writeFile(path("log.txt"), log);
    fs::create_symlink("/dev/stdout", path("to-stdout"));
    fs::create_symlink("/proc/self", path("me"));
    for (const char* name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1", "//dev/./stdout",
                             "/dev/fd/../fd/1", "to-stdout", "me/fd/1"}) {
        const Outcome appended = runInShell("\"$0\" prog/data \"$1\" >>log.txt", {name});
        EXPECT_EQ(appended.err, summaryFor(name));
        log += kHeader + kRows;
    }
    EXPECT_EQ(readFile(path("log.txt")), log);
    const Outcome headed = runInShell("{ echo HEADER; \"$0\" prog/data /dev/stdout; } >headed.txt");
    EXPECT_EQ(headed.err, summaryFor("/dev/stdout"));
    EXPECT_EQ(readFile(path("headed.txt")), "HEADER\n" + kHeader + kRows);
    // A closed one stays closed, even the one the program never writes to.
    EXPECT_EQ(run({"prog/data", "/dev/fd/9"}).err,
              kProgram + "cannot write '/dev/fd/9': " + std::strerror(EBADF) + " (error 9)\n");
    const Outcome noInput = runInShell("\"$0\" prog/data /dev/stdin <&-");
    EXPECT_EQ(noInput.err,
              kProgram + "cannot write '/dev/stdin': " + std::strerror(EBADF) + " (error 9)\n");

    // Standard output as a file in no folder, which /proc names "NAME (deleted)".
    const Outcome unlinked =
        runInShell("exec 3<>gone && rm gone && \"$0\" prog/data /dev/stdout >&3 && cat /dev/fd/3");
    EXPECT_EQ(unlinked.out, kHeader + kRows);
    EXPECT_EQ(unlinked.err, summaryFor("/dev/stdout"));
    EXPECT_FALSE(fs::exists(path("gone (deleted)")));
}

// The shell opens standard output before the program starts, under any name: the file it leads
// to is refused as the same file named as the output would be, and is left as the shell left it.
TEST_F(BatchCommandTest, StandardOutputOntoAProgramOrAPageIsRefused) {
    const std::string window = "prog/catalog-collector";
    writeFile(path(window), "the window");
    fs::create_hard_link(path(window), path("copy"));
    fs::create_hard_link(path("prog/data/a.html"), path("page"));
    const std::string inData =
        "it lies in the data folder prog/data/, whose every file a run reads as a page";
    const std::string page = readFile(path("prog/data/a.html"));
    const struct {
        const char* redirection;
        std::string reason;
    } cases[] = {
        {"1<>prog/catalog-collector",
         "it is the program catalog-collector, which the listing would replace"},
        {">>copy", "it is the program catalog-collector, which the listing would replace"},
        {"1<>prog/data/a.html", inData},
        {">>prog/data/new.html", inData},
        {">>page", "it is a page of the data folder prog/data/ under another name"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = runInShell("\"$0\" prog/data - " + std::string(c.redirection));
        EXPECT_EQ(outcome.exitCode, 1) << c.redirection;
        EXPECT_EQ(outcome.err, kProgram + "cannot write standard output: " + c.reason +
                                   "; send standard output elsewhere, or name another output\n");
    }
    EXPECT_EQ(readFile(path(window)), "the window");
    EXPECT_EQ(readFile(path("prog/data/a.html")), page);
    EXPECT_EQ(readFile(path("prog/data/new.html")), "");
    for (const char* redirection : {">/dev/null", "| cat >/dev/null", ">out.txt"}) {
        EXPECT_EQ(runInShell("\"$0\" prog/data - " + std::string(redirection)).exitCode, 0)
            << redirection;
    }
    EXPECT_EQ(readFile(path("out.txt")), kHeader + kRows);
}

TEST_F(BatchCommandTest, HelpAndVersionThatCannotBeWrittenFail) {
    const Outcome full = runInShell("\"$0\" --help >/dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, kProgram + "cannot write 'standard output': " + std::strerror(ENOSPC) +
                            " (error 28)\n");
    const Outcome closed = runInShell("\"$0\" --version >&-");
    EXPECT_EQ(closed.exitCode, 1);
    EXPECT_EQ(closed.err, kProgram + "cannot write 'standard output': " + std::strerror(EBADF) +
                              " (error 9)\n");
}

TEST_F(BatchCommandTest, ASummaryOrExplanationsThatCannotBeWrittenFail) {
    const struct {
        const char* redirect;
        int exitCode;
    } cases[] = {{"2>/dev/null", 0}, {"2>/dev/full", 1}, {"2>&-", 1}};
    for (const auto& c : cases) {
        for (const char* explain : {"", "--explain"}) {
            const Outcome outcome =
                runInShell(std::string("\"$0\" $1 prog/data listing.txt ") + c.redirect, {explain});
            EXPECT_EQ(outcome.exitCode, c.exitCode) << explain << " " << c.redirect;
        }
    }
}

TEST_F(BatchCommandTest, DevicesAreWrittenIntoOrRefusedAndNeverReplaced) {
    const struct {
        const char* name;
        mode_t type;
        dev_t device;
        int exitCode;
        std::string message;
    } cases[] = {
        {"null", S_IFCHR, ::makedev(1, 3), 0, summaryFor("null")},
        {"full", S_IFCHR, ::makedev(1, 7), 1,
         kProgram + "cannot write 'full': " + std::strerror(ENOSPC) + " (error 28)\n"},
        {"disk", S_IFBLK, ::makedev(7, 0), 1,
         kProgram + "cannot write 'disk': " + std::strerror(ENOTSUP) +
             ": a listing never overwrites a block device (error 95)\n"},
    };
    for (const auto& c : cases) {
        if (::mknod(path(c.name).c_str(), c.type | 0600, c.device) != 0) {
            GTEST_SKIP() << "cannot make devices here: " << std::strerror(errno);
        }
        const Outcome outcome = run({"prog/data", c.name});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.name;
        EXPECT_EQ(outcome.err, c.message);
        struct stat status {};
        ASSERT_EQ(::stat(path(c.name).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & S_IFMT, c.type) << c.name;
        EXPECT_EQ(status.st_rdev, c.device) << c.name;
    }
}

TEST_F(BatchCommandTest, ALinkStaysALinkAndAReplacedFileKeepsItsOwner) {
    fs::create_symlink("made.txt", path("dangling"));
    EXPECT_EQ(run({"prog/data", "dangling"}).err, summaryFor("dangling"));
    EXPECT_TRUE(fs::is_symlink(path("dangling")));
    EXPECT_EQ(readFile(path("made.txt")), kHeader + kRows);

    // Only root may keep another user's file theirs; anyone keeps the permissions.
    writeFile(path("theirs.txt"), "earlier");
    const uid_t other = ::geteuid() == 0 ? 65534 : ::geteuid();
    ASSERT_EQ(::chown(path("theirs.txt").c_str(), other, other == 65534 ? 65534 : -1), 0);
    ASSERT_EQ(::chmod(path("theirs.txt").c_str(), 0640), 0);
    struct stat before {};
    ::stat(path("theirs.txt").c_str(), &before);
    EXPECT_EQ(run({"prog/data", "theirs.txt"}).exitCode, 0);
    struct stat after {};
    ::stat(path("theirs.txt").c_str(), &after);
    EXPECT_EQ(readFile(path("theirs.txt")), kHeader + kRows);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace catalog::testing
