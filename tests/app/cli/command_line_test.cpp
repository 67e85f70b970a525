#include "app/cli/command_line.h"

#include <gtest/gtest.h>

namespace catalog {
namespace {

using Action = CommandLine::Action;

// A line as parsed, in one text that a case compares whole: the action, the options set, the
// positional arguments, or the usage error.
std::string parsed(const std::vector<std::string>& arguments, bool windowsSwitches) {
    const CommandLine line = parseCommandLine(arguments, windowsSwitches);
    switch (line.action) {
        case Action::UsageError:
            return "error: " + line.error;
        case Action::Help:
            return "help";
        case Action::Version:
            return "version";
        case Action::Run:
            break;
    }
    return std::string("run") + (line.explain ? " explain" : "") +
           (line.unwrap ? "" : " no-unwrap") +
           (line.threads ? " threads=" + std::to_string(line.threads) : "") +
           (line.format ? " format" : "") + " [" + line.dataFolder.value_or("") + "]";
}

// Windows' switches stand for the long options, in lower case only, and only on Windows; a
// folder of such a name at the drive's root is given with a backslash.
TEST(CommandLineTest, TakesWindowsSwitchesForTheOptionsOnWindowsOnly) {
    const struct {
        std::vector<std::string> arguments;
        std::string onWindows;
        std::string elsewhere;
    } cases[] = {
        {{"/explain", "d"}, "run explain [d]", "run [/explain]"},
        {{"/explain"}, "run explain []", "run [/explain]"},
        {{"/threads:4", "/no-unwrap", "/format:csv"},
         "run no-unwrap threads=4 format []",
         "error: too many arguments: '/format:csv'"},
        {{"/threads", "2"}, "run threads=2 []", "run [/threads]"},
        {{"/threads:0"},
         "error: /threads takes a number from 1 to 256, not '0'",
         "run [/threads:0]"},
        {{"--threads", "0"},
         "error: --threads takes a number from 1 to 256, not '0'",
         "error: --threads takes a number from 1 to 256, not '0'"},
        {{"/h"}, "help", "run [/h]"},
        {{"-?"}, "help", "error: unknown option '-?'"},
        {{"/?"}, "help", "run [/?]"},
        {{"/help"}, "help", "run [/help]"},
        {{"/version"}, "version", "run [/version]"},
        {{"\\explain"}, "run [\\explain]", "run [\\explain]"},
        {{"--", "/explain"}, "run [/explain]", "run [/explain]"},
        {{"/explain:yes"}, "error: unknown option '/explain:yes'", "run [/explain:yes]"},
        {{"/Explain"},
         "error: unknown option '/Explain'; options are in lower case: '/explain', and a folder "
         "of that name is given as '\\Explain'",
         "run [/Explain]"},
        {{"--HELP"},
         "error: unknown option '--HELP'; options are in lower case: '--help'",
         "error: unknown option '--HELP'; options are in lower case: '--help'"},
        {{"/data/pages"}, "run [/data/pages]", "run [/data/pages]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parsed(c.arguments, true), c.onWindows) << c.arguments.front();
        EXPECT_EQ(parsed(c.arguments, false), c.elsewhere) << c.arguments.front();
    }
}

}  // namespace
}  // namespace catalog
