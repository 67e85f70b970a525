#include "cli/command_line.h"

namespace catalog {

namespace {

bool isOption(const std::string& argument) {
    return argument.size() > 1 && argument.front() == '-';
}

CommandLine usageError(std::string message) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.error = std::move(message);
    return line;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || !isOption(argument)) {
            positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::Help;
        } else if (argument == "--version") {
            line.action = CommandLine::Action::Version;
        } else {
            return usageError("unknown option '" + argument + "'");
        }
    }
    if (positional.size() > 2) {
        return usageError("too many arguments: '" + positional[2] + "'");
    }
    if (!positional.empty()) {
        line.dataFolder = positional[0];
    }
    if (positional.size() == 2) {
        line.output = positional[1];
    }
    return line;
}

std::string usageText(const std::string& program) {
    return "Usage: " + program +
           " [DATA_DIR [OUTPUT]]\n"
           "Collects the product records of every file in a folder of catalog files into a\n"
           "tab-separated listing.\n"
           "\n"
           "With no arguments it does what one click on Collect in the window does: it reads\n"
           "the folder 'data' beside the program and writes output.txt beside the program.\n"
           "\n"
           "  DATA_DIR   the folder of catalog files; it must exist\n"
           "  OUTPUT     the listing to write, relative to the working directory, or '-' for\n"
           "             standard output (default: output.txt beside the program)\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n"
           "\n"
           "Exit status: 0 when the listing was written, 1 when the run failed (nothing is\n"
           "written then), 2 for a usage error.\n";
}

}  // namespace catalog
