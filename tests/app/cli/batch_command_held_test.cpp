// The batch command held at one step of its run by the test, which then changes the world
// under it: a page rewritten between two of its reads, a signal while it opens its temporary
// file, a long run on a terminal. The kernel holds the program (see AccessGate), so nothing
// depends on how fast either side runs.

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/cli/batch_command_fixture.h"
#include "support/access_gate.h"

namespace catalog::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNoGate =
    "holding a program's reads takes the privilege to watch files "
    "(fanotify), which only root has";

// A page larger than the program's buffer, so read in many calls. Each version puts its record
// further in and is longer than the one before, as a page saved anew would.
std::string pageVersion(int version) {
    return std::string(1000 * version, ' ') +
           productRecord(numbered("V", version), "Name", "1", "t.jpg") +
           std::string(std::size_t{2} << 20, ' ');
}

TEST_F(BatchCommandTest, APageThatChangesWhileReadGivesTheRowOfOneVersionOrFails) {
    const std::string page = path("prog/data/big.html");
    writeFile(page, pageVersion(1));  // rewritten in place: the gate watches its inode
    std::atomic<int> reads = 0;
    std::atomic<int> version = 1;
    // What the test does to the page at a read of the program, which waits meanwhile. The
    // kernel orders the gate's calls before the program's end and so before the next run's
    // change, but ThreadSanitizer cannot see that order: the lock shows it.
    std::function<void(int read)> change;
    std::mutex changing;
    const AccessGate gate(page, AccessGate::Access::Read, [&](const std::string&, pid_t) {
        const std::lock_guard lock(changing);
        change(++reads);
    });
    if (!gate.watching()) {
        GTEST_SKIP() << kNoGate;
    }
    const auto runWith = [&](std::function<void(int)> what) {
        writeFile(page, pageVersion(1));
        reads = 0;
        version = 1;
        {
            const std::lock_guard lock(changing);
            change = std::move(what);
        }
        return run({"prog/data", "-"});
    };

    // Saved anew once, in the middle of the first reading: the row is the new version's.
    const Outcome saved = runWith([&](int read) {
        if (read == 3) {
            writeFile(page, pageVersion(++version));
        }
    });
    EXPECT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_EQ(saved.out, kHeader + kRows + "V2\t1\tt.jpg\tName\r\n");

    // Emptied (`: > page`): the page holds no record any more.
    const Outcome emptied = runWith([&](int read) {
        if (read == 3) {
            fs::resize_file(page, 0);
        }
    });
    EXPECT_EQ(emptied.exitCode, 0) << emptied.err;
    EXPECT_EQ(emptied.out, kHeader + kRows);

    // Saved anew at every read: no reading gives one version, and the run says so.
    const Outcome restless = runWith([&](int) { writeFile(page, pageVersion(++version)); });
    EXPECT_EQ(restless.exitCode, 1);
    EXPECT_EQ(restless.err, "catalog-collector-cli: cannot read 'prog/data/big.html': " +
                                reasonFor(EAGAIN, "the file changed while it was read") + "\n");
    EXPECT_EQ(restless.out, "");
}

TEST_F(BatchCommandTest, ASignalDuringTheWriteRemovesTheTemporaryFile) {
    writeFile(path("listing.txt"), "earlier");
    const std::vector<std::string> before = entriesOf(workingDir());
    std::atomic<int> signalNumber = 0;
    // The signal comes as the program opens its temporary file, which is then there.
    const AccessGate gate(
        workingDir(), AccessGate::Access::Open, [&](const std::string& file, pid_t process) {
            if (fs::path(file).filename().string().starts_with(".listing.txt.tmp")) {
                ::kill(process, signalNumber);
            }
        });
    if (!gate.watching()) {
        GTEST_SKIP() << kNoGate;
    }
    // Every signal that ends a program by default and that users and other programs send;
    // faults are left to the sanitizers, which catch them first.
    for (const int sent : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                           SIGPROF, SIGXCPU, SIGPIPE, SIGPOLL, SIGPWR, SIGRTMIN, SIGRTMAX}) {
        signalNumber = sent;
        // No core dump: it would land beside the listing.
        const Outcome outcome = runLimited("-c 0", {"prog/data", "listing.txt"});
        EXPECT_EQ(outcome.exitCode, 128 + sent) << strsignal(sent);
        EXPECT_EQ(entriesOf(workingDir()), before) << strsignal(sent);
        EXPECT_EQ(readFile(path("listing.txt")), "earlier");
    }
}

// All that a terminal was sent: what the program wrote to it, once the program has ended.
std::string shownOn(int terminal) {
    std::string shown;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, static_cast<std::size_t>(got));
    }
    return shown;
}

TEST_F(BatchCommandTest, OnATerminalTheProgressLineIsGoneBeforeTheListing) {
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0) << std::strerror(errno);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    // The progress line shows once a run has taken a second by the program's steady clock, a
    // time no event of the program tells while it is held. Its first read is held for that
    // second, on the same clock, begun after the run's start: the run has then taken it, however
    // fast or slow either side runs.
    std::atomic<bool> held = false;
    const AccessGate gate(path("prog/data"), AccessGate::Access::Read,
                          [&](const std::string&, pid_t) {
                              if (!held.exchange(true)) {
                                  std::this_thread::sleep_for(std::chrono::seconds(1));
                              }
                          });
    if (!gate.watching()) {
        ::close(terminal);
        GTEST_SKIP() << kNoGate;
    }
    StartedProgram running(program(), {"prog/data", "-"}, workingDir(), ::ptsname(terminal));
    EXPECT_EQ(running.wait().exitCode, 0);
    const std::string shown = shownOn(terminal);
    ::close(terminal);
    const std::size_t header = shown.find("id   price");
    ASSERT_NE(header, std::string::npos) << shown;
    ASSERT_LT(shown.find("1 of 3 files read"), header) << "no progress line: " << shown;
    // The line the header starts was rubbed out first.
    const std::size_t lineStart = shown.rfind('\r', header);
    EXPECT_EQ(shown.substr(lineStart, header - lineStart), "\r\x1b[K") << shown;
}

}  // namespace
}  // namespace catalog::testing
