#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace catalog::testing {

// The rows of the fixture's data folder, in listing order.
inline const std::string kRows = "A1\t125\ta.jpg\tAnchor\r\nB2\t7\tb.jpg\tBolt\r\n";

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program as a script would, with its output captured in files.
Outcome runProgram(const std::string& program, std::vector<std::string> arguments,
                   const std::filesystem::path& workingDir);

// Each test gets its own copy of the batch command, so that the data folder and the listing
// beside it are the test's own. The data folder holds a.html and b.html with a record each and
// c.html without; the test runs in the folder above the program's.
class BatchCommandTest : public ::testing::Test {
protected:
    BatchCommandTest();

    Outcome run(std::vector<std::string> arguments) const;
    std::string program() const { return m_dir / "prog/catalog-collector-cli"; }
    std::string path(const std::string& name) const { return m_dir / name; }
    const std::filesystem::path& workingDir() const { return m_dir.path(); }

private:
    TempDir m_dir;
};

}  // namespace catalog::testing
