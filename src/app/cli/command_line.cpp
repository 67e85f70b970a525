#include "app/cli/command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string_view>

#include "collect/failure_text.h"

namespace catalog {

namespace {

CommandLine usageError(std::string message) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.error = std::move(message);
    return line;
}

// The long options without their dashes. On Windows each is also written as its commands'
// switches are, "/name" or "/name:value"; a folder of that name at the drive's root is then given
// as "\name".
constexpr std::array<std::string_view, 6> kLongOptions{"explain", "no-unwrap", "threads",
                                                       "format",  "help",      "version"};

bool sameInAnyCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The long option `name` stands for, in any case, if any.
std::optional<std::string_view> longOptionLike(std::string_view name) {
    const auto* found = std::ranges::find_if(
        kLongOptions, [name](std::string_view option) { return sameInAnyCase(option, name); });
    return found == kLongOptions.end() ? std::nullopt : std::optional(*found);
}

// A switch as Windows' commands write it, as the option it stands for: "/threads:4" as
// "--threads=4", "/h" as "-h", "/?" and "-?" as "--help". Options keep their case: "/Explain"
// stays as it stands, and so does any other argument.
std::string dashed(const std::string& argument) {
    if (argument == "/?" || argument == "-?") {
        return "--help";
    }
    if (argument == "/h") {
        return "-h";
    }
    if (!argument.starts_with('/')) {
        return argument;
    }
    const std::size_t colon = argument.find(':');
    const std::string_view name = std::string_view(argument).substr(1, colon - 1);
    if (longOptionLike(name) != name) {
        return argument;
    }
    // Appended piece by piece: GCC 12 at -O3 takes "--" + std::string(...) for an overlapping
    // copy.
    std::string option("--");
    option.append(name);
    if (colon != std::string::npos) {
        option.append("=").append(argument, colon + 1);
    }
    return option;
}

// An option in the wrong case ("--HELP", on Windows "/Explain"): what was meant, or nothing.
std::optional<std::string> meantOption(const std::string& argument, bool windowsSwitches) {
    const std::size_t start = argument.starts_with("--") ? 2 : argument.starts_with('/') ? 1 : 0;
    if (start == 0 || (start == 1 && !windowsSwitches)) {
        return std::nullopt;
    }
    const std::size_t end = argument.find_first_of(start == 2 ? "=" : ":");
    const std::string_view name = std::string_view(argument).substr(start, end - start);
    const auto option = longOptionLike(name);
    if (!option || *option == name) {
        return std::nullopt;
    }
    return argument.substr(0, start) + std::string(*option) +
           (end == std::string::npos ? "" : argument.substr(end));
}

CommandLine unknownOption(const std::string& argument, bool windowsSwitches) {
    std::string message = "unknown option '" + printable(argument) + "'";
    if (const std::optional<std::string> meant = meantOption(argument, windowsSwitches)) {
        message.append("; options are in lower case: '" + printable(*meant) + "'");
        if (argument.starts_with('/')) {
            message.append(", and a folder of that name is given as '\\" +
                           printable(argument.substr(1)) + "'");
        }
    }
    return usageError(std::move(message));
}

// The option `name` as the user wrote it in `typed`: "/threads" or "--threads".
std::string asTyped(const std::string& typed, std::string_view name) {
    return (typed.starts_with('/') ? "/" : "--") + std::string(name);
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
// `argument` (arguments[i] as dashed) is not that option. `i` moves past a value given apart; an
// option that ends the line gets an empty value, which no option takes.
std::optional<std::string> optionValue(const std::string& argument,
                                       const std::vector<std::string>& arguments, std::size_t& i,
                                       std::string_view name) {
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

CommandLine parseCommandLine(const std::vector<std::string>& arguments, bool windowsSwitches) {
    CommandLine line;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& typed = arguments[i];  // i moves past a value given apart
        const std::string argument = windowsSwitches && !optionsEnded ? dashed(typed) : typed;
        // "/Explain" would be a folder at the drive's root, which is rather a mistyped switch.
        if (!optionsEnded && argument.starts_with('/') && meantOption(argument, windowsSwitches)) {
            return unknownOption(typed, true);
        }
        if (optionsEnded || argument.size() < 2 || !argument.starts_with('-')) {
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
        } else if (const auto threads = optionValue(argument, arguments, i, "--threads")) {
            const std::optional<unsigned> count = threadCount(*threads);
            if (!count) {
                return usageError(asTyped(typed, "threads") + " takes a number from 1 to " +
                                  std::to_string(kMostThreads) + ", not '" + printable(*threads) +
                                  "'");
            }
            line.threads = *count;
        } else if (const auto format = optionValue(argument, arguments, i, "--format")) {
            line.format = formatNamed(*format);
            if (!line.format) {
                return usageError(asTyped(typed, "format") + " takes txt, csv or xlsx, not '" +
                                  printable(*format) + "'");
            }
        } else {
            return unknownOption(typed, windowsSwitches);
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

// Options are in lower case, in either form.
constexpr std::string_view kWindowsSwitchesText =
    "Each option may also be written as a switch, /name or /name:value: /explain,\n"
    "/no-unwrap, /threads:N, /format:F, /help (also /h, /? and -?) and /version. A\n"
    "folder of such a name at the drive's root is then given as \\explain.\n"
    "\n";

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
           "  --help, -h   show this help and exit\n"
           "  --version    show the version and exit\n"
           "\n" +
           std::string(kWindowsSwitches ? kWindowsSwitchesText : "") +
           "Exit status: 0 when the listing was written, 1 when the run failed (nothing is\n"
           "written then), 2 for a usage error.\n";
}

}  // namespace catalog
