#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/types.h>
#endif

#include "support/test_files.h"

namespace catalog::testing {

// Built with AddressSanitizer (and UndefinedBehaviorSanitizer beside it) or ThreadSanitizer:
// their runtimes need more address space and descriptors than the tests' limits leave.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

// The rows of the fixture's data folder, in listing order.
inline const std::string kRows = "A1\t125\ta.jpg\tAnchor\r\nB2\t7\tb.jpg\tBolt\r\n";

// How the program ends the lines of its own texts (usage, version) on standard output: the C
// runtime of Windows writes each "\n" as CR LF there. The listing's bytes are never changed.
#ifdef _WIN32
inline constexpr std::string_view kNewline = "\r\n";
#else
inline constexpr std::string_view kNewline = "\n";
#endif

// How each of the program's messages starts.
inline const std::string kProgram = "catalog-collector-cli: ";

// What a run over the fixture's data folder says as it ends, writing to `output` as named.
inline std::string summaryFor(const std::string& output) {
    return kProgram + "2 records written to " + output + " from 3 pages (1 without a record)\n";
}

// `name` in the folder `folder` as the program names it, which joins the two with the system's
// separator.
std::string inFolder(const std::string& folder, const std::string& name);

struct Outcome {
    int exitCode = -1;
    std::string out;  // byte for byte
    std::string err;  // each line ended by "\n", as the messages are written on every system
};

// The system's description of `errorNumber` as a message gives it, with `detail` and the
// number after it.
std::string reasonFor(int errorNumber, std::string_view detail = {});

// A path in `name`'s UTF-8, whatever the system's own narrow encoding.
std::filesystem::path utf8Path(std::string_view name);

// A program started as a script would start it, with its output captured in files.
class StartedProgram {
public:
    StartedProgram(const std::string& program, std::vector<std::string> arguments,
                   const std::filesystem::path& workingDir);
#ifndef _WIN32
    // The same with standard output and standard error on `terminal` (a pseudo-terminal's
    // other end), as at a user's terminal; wait() then captures neither.
    StartedProgram(const std::string& program, std::vector<std::string> arguments,
                   const std::filesystem::path& workingDir, const std::string& terminal);
#endif
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;
    ~StartedProgram();

#ifndef _WIN32
    pid_t pid() const {
        return static_cast<pid_t>(m_process);
    }
#endif
    // Waits for the end; on POSIX a program ended by a signal exits with 128 plus its number.
    Outcome wait();

private:
    TempDir m_capture;
    std::intptr_t m_process = -1;  // a process id on POSIX, a process HANDLE on Windows
};

inline Outcome runProgram(const std::string& program, std::vector<std::string> arguments,
                          const std::filesystem::path& workingDir) {
    return StartedProgram(program, std::move(arguments), workingDir).wait();
}

// Each test gets its own copy of the batch command, so that the data folder and the listing
// beside it are the test's own. The data folder holds a.html and b.html with a record each and
// c.html without; the test runs in the folder above the program's.
class BatchCommandTest : public ::testing::Test {
protected:
    BatchCommandTest();

    Outcome run(std::vector<std::string> arguments) const;
#ifndef _WIN32
    // The program run from sh's `script`, in which "$0" names it and "$1" on are `arguments`.
    Outcome runInShell(const std::string& script, std::vector<std::string> arguments = {}) const;
    // The same under a limit the shell's ulimit sets before the program starts, such as "-n 4".
    Outcome runLimited(const std::string& limit, std::vector<std::string> arguments) const;
#endif
    std::string program() const;
    // The absolute path of `name`, written with the system's own separator as the program
    // writes the paths it makes.
    std::string path(const std::string& name) const;
    const std::filesystem::path& workingDir() const {
        return m_dir.path();
    }

    // Puts a file at `name` that exists but cannot be read, for as long as the test runs: a
    // link to /proc/self/mem, which no one may read at its start, or on Windows a file the
    // test holds open, shared with no one.
    void makeUnreadable(const std::string& name);
    // The failure a run reports for such a file, shown as `shownPath`.
    static std::string unreadableFailure(const std::string& shownPath);
    // The reason a run gives for a folder named as its output.
    static std::string folderAsOutputReason();

private:
    TempDir m_dir;
    std::vector<std::shared_ptr<void>> m_held;  // what makeUnreadable keeps open
};

}  // namespace catalog::testing
