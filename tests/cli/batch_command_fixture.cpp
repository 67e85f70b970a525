#include "cli/batch_command_fixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace catalog::testing {

namespace fs = std::filesystem;

Outcome runProgram(const std::string& program, std::vector<std::string> arguments,
                   const fs::path& workingDir) {
    TempDir capture;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (capture / "out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (capture / "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    Outcome outcome;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = readFile(capture / "out");
    outcome.err = readFile(capture / "err");
    return outcome;
}

BatchCommandTest::BatchCommandTest() {
    fs::create_directories(m_dir / "prog/data");
    fs::copy_file(CLI_PROGRAM, program());
    writeFile(m_dir / "prog/data/b.html", productRecord("B2", "Bolt", "7", "b.jpg"));
    writeFile(m_dir / "prog/data/a.html", "<html>" + productRecord("A1", "Anchor", "125", "a.jpg"));
    writeFile(m_dir / "prog/data/c.html", "<html>no record</html>");
}

Outcome BatchCommandTest::run(std::vector<std::string> arguments) const {
    return runProgram(program(), std::move(arguments), m_dir.path());
}

}  // namespace catalog::testing
