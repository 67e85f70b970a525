#include "app/cli/command_line.h"

#include <optional>

#include "collect/failure_text.h"

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

// "/?", which every Windows command takes for a request for its help. A folder can have no
// such name there; elsewhere it is a path like any other.
bool isWindowsHelp([[maybe_unused]] const std::string& argument) {
#ifdef _WIN32
    return argument == "/?";
#else
    return false;
#endif
}

constexpr unsigned kMostThreads = 256;

// A thread count from 1 to kMostThreads, or nothing.
std::optional<unsigned> threadCount(const std::string& text) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const auto count = static_cast<unsigned>(std::stoul(text));
    if (count == 0 || count > kMostThreads) {
        return std::nullopt;
    }
    return count;
}

// The value of an option that takes one, as "--name VALUE" or "--name=VALUE", or nothing when
// `argument` is not that option. `i` moves past a value given apart; an option that ends the
// line gets an empty value, which no option takes.
std::optional<std::string> optionValue(const std::vector<std::string>& arguments, std::size_t& i,
                                       std::string_view name) {
    const std::string& argument = arguments[i];
    if (argument == name) {
        return i + 1 < arguments.size() ? arguments[++i] : std::string();
    }
    if (argument.starts_with(name) && argument.size() > name.size() &&
        argument[name.size()] == '=') {
        return argument.substr(name.size() + 1);
    }
    return std::nullopt;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && isWindowsHelp(argument)) {
            line.action = CommandLine::Action::Help;
        } else if (optionsEnded || !isOption(argument)) {
            positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::Help;
        } else if (argument == "--explain") {
            line.explain = true;
        } else if (argument == "--no-unwrap") {
            line.unwrap = false;
        } else if (argument == "--version") {
            line.action = CommandLine::Action::Version;
        } else if (const auto threads = optionValue(arguments, i, "--threads")) {
            const std::optional<unsigned> count = threadCount(*threads);
            if (!count) {
                return usageError("--threads takes a number from 1 to " +
                                  std::to_string(kMostThreads) + ", not '" + printable(*threads) +
                                  "'");
            }
            line.threads = *count;
        } else if (const auto format = optionValue(arguments, i, "--format")) {
            line.format = formatNamed(*format);
            if (!line.format) {
                return usageError("--format takes txt, csv or xlsx, not '" + printable(*format) +
                                  "'");
            }
        } else {
            return usageError("unknown option '" + printable(argument) + "'");
        }
    }
    if (positional.size() > 2) {
        return usageError("too many arguments: '" + printable(positional[2]) + "'");
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
           " [--explain] [--no-unwrap] [--threads N] [--format F] [DATA_DIR [OUTPUT]]\n"
           "Collects the product records of every file in a folder of catalog files into a\n"
           "tab-separated listing, or a CSV file or workbook for a spreadsheet.\n"
           "\n"
           "With no arguments it does what one click on Collect in the window does: it reads\n"
           "the folder 'data' beside the program and writes output.txt beside the program.\n"
           "\n"
           "  DATA_DIR     the folder of catalog files; it must exist\n"
           "  OUTPUT       the listing to write, relative to the working directory, or '-'\n"
           "               for standard output (default: output.txt beside the program)\n"
           "  --explain    after the summary, say for each page without a record why it\n"
           "               gave no row, and for each record with a field not found which\n"
           "               field it lacks and which marker, or what the page holds in\n"
           "               its place (`=&gt;` for `=>`, two blanks, lower case, ...), and\n"
           "               name each page read through a wrapping\n"
           "  --no-unwrap  read every page as it stands: a page that holds its records only\n"
           "               under a wrapping (a browser's single-file save, HTML escapes,\n"
           "               UTF-16 without a byte order mark) gives no row, as before\n"
           "  --threads N  read and extract files on N threads, 1 to 256 (default: one per\n"
           "               processor); the listing is the same whatever N is\n"
           "  --format F   write the listing as txt (tab-separated text), csv (for a\n"
           "               spreadsheet, UTF-8, formulas kept from running) or xlsx (a\n"
           "               workbook); default: by OUTPUT's ending (.csv, .xlsx), else txt\n"
           "  --help       show this help and exit (also /? on Windows)\n"
           "  --version    show the version and exit\n"
           "\n"
           "Exit status: 0 when the listing was written, 1 when the run failed (nothing is\n"
           "written then), 2 for a usage error.\n";
}

}  // namespace catalog
