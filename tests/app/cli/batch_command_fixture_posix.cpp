// The fixture's POSIX side: programs started with posix_spawn, limits set by the shell.

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "app/cli/batch_command_fixture.h"

extern char** environ;

namespace catalog::testing {

namespace fs = std::filesystem;

StartedProgram::StartedProgram(const std::string& program, std::vector<std::string> arguments,
                               const fs::path& workingDir)
    : StartedProgram(program, std::move(arguments), workingDir, std::string()) {}

StartedProgram::StartedProgram(const std::string& program, std::vector<std::string> arguments,
                               const fs::path& workingDir, const std::string& terminal) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (terminal.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, (m_capture / "out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, (m_capture / "err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, terminal.c_str(), O_RDWR | O_NOCTTY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    // Only the three standard descriptors, whatever the test runner left open: limits on
    // descriptors then mean the same in every run.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    // Signals the test's own parent ignores (a job started in the background ignores SIGINT and
    // SIGQUIT) are not passed on.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ) == 0) {
        m_process = pid;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
}

StartedProgram::~StartedProgram() = default;

Outcome StartedProgram::wait() {
    Outcome outcome;
    int status = 0;
    if (m_process > 0 && ::waitpid(pid(), &status, 0) == pid()) {
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    m_process = -1;
    outcome.out = readFile(m_capture / "out");
    outcome.err = readFile(m_capture / "err");
    return outcome;
}

Outcome BatchCommandTest::runInShell(const std::string& script,
                                     std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"-c", script, program()});
    return runProgram("/bin/sh", std::move(arguments), workingDir());
}

Outcome BatchCommandTest::runLimited(const std::string& limit,
                                     std::vector<std::string> arguments) const {
    return runInShell("ulimit " + limit + " && exec \"$0\" \"$@\"", std::move(arguments));
}

// Reading it fails even for root.
void BatchCommandTest::makeUnreadable(const std::string& name) {
    fs::create_symlink("/proc/self/mem", path(name));
}

std::string BatchCommandTest::unreadableFailure(const std::string& shownPath) {
    return "cannot read '" + shownPath + "': " + reasonFor(EIO);
}

std::string BatchCommandTest::folderAsOutputReason() {
    return reasonFor(EISDIR);
}

}  // namespace catalog::testing
