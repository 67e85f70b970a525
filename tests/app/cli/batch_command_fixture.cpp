#include "app/cli/batch_command_fixture.h"

#include "platform/paths.h"
#include "platform/program_directory.h"
#include "platform/system_error.h"

namespace catalog::testing {

namespace fs = std::filesystem;

std::string reasonFor(int errorNumber, std::string_view detail) {
    std::string reason = describeSystemError(errorNumber);
    if (!detail.empty()) {
        reason.append(": ").append(detail);
    }
    return reason + " (error " + std::to_string(errorNumber) + ")";
}

std::string inFolder(const std::string& folder, const std::string& name) {
    return folder + kPathSeparator + name;
}

fs::path utf8Path(std::string_view name) {
    return fs::path(std::u8string(name.begin(), name.end()));
}

namespace {

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

// The batch command is built into the folder of the test programs.
BatchCommandTest::BatchCommandTest() {
    fs::create_directories(m_dir / "prog/data");
    fs::copy_file(utf8Path(programDirectory()) / CLI_PROGRAM_NAME, program());
    writeFile(m_dir / "prog/data/b.html", productRecord("B2", "Bolt", "7", "b.jpg"));
    writeFile(m_dir / "prog/data/a.html", "<html>" + productRecord("A1", "Anchor", "125", "a.jpg"));
    writeFile(m_dir / "prog/data/c.html", "<html>no record</html>");
}

Outcome BatchCommandTest::run(std::vector<std::string> arguments) const {
    return runProgram(program(), std::move(arguments), m_dir.path());
}

std::string BatchCommandTest::program() const {
    return path(std::string("prog/") + CLI_PROGRAM_NAME);
}

std::string BatchCommandTest::path(const std::string& name) const {
    return utf8Of((m_dir.path() / utf8Path(name)).make_preferred());
}

}  // namespace catalog::testing
