#include "cli/batch_command_fixture.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace catalog::testing {

namespace fs = std::filesystem;

StartedProgram::StartedProgram(const std::string& program, std::vector<std::string> arguments,
                               const fs::path& workingDir) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (m_capture / "out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (m_capture / "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    // Only the three standard descriptors, whatever the test runner left open: limits on
    // descriptors then mean the same in every run.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    // Signals the test's own parent ignores (a job started in the background) are not passed on.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        sigaddset(&defaults, signalNumber);
    }
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    if (posix_spawn(&m_pid, program.c_str(), &actions, &attributes, argv.data(), environ) != 0) {
        m_pid = -1;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
}

Outcome StartedProgram::wait() {
    Outcome outcome;
    int status = 0;
    if (m_pid > 0 && ::waitpid(m_pid, &status, 0) == m_pid) {
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    m_pid = -1;
    outcome.out = readFile(m_capture / "out");
    outcome.err = readFile(m_capture / "err");
    return outcome;
}

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
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

Outcome BatchCommandTest::runLimited(const std::string& limit,
                                     std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(),
                     {"-c", "ulimit " + limit + " && exec \"$0\" \"$@\"", program()});
    return runProgram("/bin/sh", std::move(arguments), m_dir.path());
}

}  // namespace catalog::testing
