#include "collect/protected_output.h"

#include <array>
#include <string_view>

#include "platform/file_identity.h"
#include "platform/paths.h"
#include "platform/program_directory.h"

namespace catalog {

namespace {

constexpr std::array<std::string_view, 2> kProgramNames = {"catalog-collector",
                                                           "catalog-collector-cli"};

std::string replacing(std::string_view program) {
    return "it is " + std::string(program) + ", which the listing would replace";
}

}  // namespace

std::optional<std::string> protectedOutputReason(const std::string& output,
                                                 const std::string& dataFolder,
                                                 const std::string& programDirectory) {
    if (!programDirectory.empty()) {
        for (const std::string_view name : kProgramNames) {
            const std::string program =
                programDirectory + kPathSeparator + std::string(name) + std::string(kProgramSuffix);
            if (sameFile(output, program)) {
                return replacing("the program " + std::string(name));
            }
        }
    }
    // Under any other name, as a copy or a build may have it.
    if (const std::string running = programFile(); !running.empty() && sameFile(output, running)) {
        return replacing("the running program itself");
    }
    if (liesIn(output, dataFolder)) {
        return "it lies in the data folder " + dataFolder +
               ", whose every file a run reads as a page";
    }
    return std::nullopt;
}

}  // namespace catalog
