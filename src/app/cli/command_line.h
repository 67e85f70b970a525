#pragma once

#include <optional>
#include <string>
#include <vector>

#include "collect/listing_format.h"

namespace catalog {

// What the batch command was asked to do.
struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };

    Action action = Action::Run;
    std::optional<std::string> dataFolder;  // none: the data folder beside the program
    std::optional<std::string> output;      // none: output.txt beside the program; "-": stdout
    unsigned threads = 0;                   // 0: one per processor
    bool explain = false;                   // a line for each page worth telling of
    bool unwrap = true;                     // pages without a record read through a wrapping
    std::optional<ListingFormat> format;    // none: by the output's name
    std::string error;                      // what was wrong, for UsageError
};

// Whether the switches of Windows' own commands are taken as well: "/explain" for "--explain",
// "/threads:4" for "--threads=4", "/h", "/?" and "-?" for the help.
#ifdef _WIN32
inline constexpr bool kWindowsSwitches = true;
#else
inline constexpr bool kWindowsSwitches = false;
#endif

CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                             bool windowsSwitches = kWindowsSwitches);

std::string usageText(const std::string& program);

}  // namespace catalog
