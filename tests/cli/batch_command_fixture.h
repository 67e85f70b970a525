#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace catalog::testing {

// Built with AddressSanitizer (and UndefinedBehaviorSanitizer beside it): their runtimes need
// more address space and descriptors than the tests' limits leave.
#ifdef __SANITIZE_ADDRESS__
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

// The rows of the fixture's data folder, in listing order.
inline const std::string kRows = "A1\t125\ta.jpg\tAnchor\r\nB2\t7\tb.jpg\tBolt\r\n";

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A program started as a script would start it, with its output captured in files.
class StartedProgram {
public:
    StartedProgram(const std::string& program, std::vector<std::string> arguments,
                   const std::filesystem::path& workingDir);
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    pid_t pid() const { return m_pid; }
    // Waits for the end; a program ended by a signal exits with 128 plus its number.
    Outcome wait();

private:
    TempDir m_capture;
    pid_t m_pid = -1;
};

inline Outcome runProgram(const std::string& program, std::vector<std::string> arguments,
                          const std::filesystem::path& workingDir) {
    return StartedProgram(program, std::move(arguments), workingDir).wait();
}

// The names in `folder`, sorted: what a failed run must leave as it found it.
std::vector<std::string> entriesOf(const std::filesystem::path& folder);

// Each test gets its own copy of the batch command, so that the data folder and the listing
// beside it are the test's own. The data folder holds a.html and b.html with a record each and
// c.html without; the test runs in the folder above the program's.
class BatchCommandTest : public ::testing::Test {
protected:
    BatchCommandTest();

    Outcome run(std::vector<std::string> arguments) const;
    // The same under a limit the shell's ulimit sets before the program starts, such as "-n 4".
    Outcome runLimited(const std::string& limit, std::vector<std::string> arguments) const;
    std::string program() const { return m_dir / "prog/catalog-collector-cli"; }
    std::string path(const std::string& name) const { return m_dir / name; }
    const std::filesystem::path& workingDir() const { return m_dir.path(); }

private:
    TempDir m_dir;
};

}  // namespace catalog::testing
