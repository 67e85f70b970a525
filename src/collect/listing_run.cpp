#include "collect/listing_run.h"

#include <array>
#include <string_view>
#include <utility>

#include "collect/text_files.h"
#include "platform/file_identity.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/program_directory.h"

namespace catalog {

namespace {

constexpr std::array<std::string_view, 2> kProgramNames = {"catalog-collector",
                                                           "catalog-collector-cli"};

std::string replacing(std::string_view program) {
    return "it is " + std::string(program) + ", which the listing would replace";
}

std::optional<std::string> protectedReason(const std::string& file, const ListingTarget& target) {
    if (!target.programDirectory.empty()) {
        for (const std::string_view name : kProgramNames) {
            const std::string program = target.programDirectory + kPathSeparator +
                                        std::string(name) + std::string(kProgramSuffix);
            if (sameFile(file, program)) {
                return replacing("the program " + std::string(name));
            }
        }
    }
    // Under any other name, as a copy or a build may have it.
    if (const std::string running = programFile(); !running.empty() && sameFile(file, running)) {
        return replacing("the running program itself");
    }
    if (liesIn(file, target.dataFolder)) {
        return "it lies in the data folder " + target.dataFolder +
               ", whose every file a run reads as a page";
    }
    // Written into, not replaced: a page's other name is the page.
    if (target.standardOutput && hasNameIn(file, target.dataFolder)) {
        return "it is a page of the data folder " + target.dataFolder + " under another name";
    }
    return std::nullopt;
}

// Standard output is looked at as the file the shell opened for it, whatever the name it was
// given (`1<>NAME`, `>>NAME`); it is not looked at when it is no file.
std::optional<OutputRefusal> protectedRefusal(const ListingTarget& target) {
    const std::optional<std::string> file =
        target.standardOutput ? standardOutputFile() : std::optional<std::string>(target.path);
    if (file) {
        if (std::optional<std::string> reason = protectedReason(*file, target)) {
            return OutputRefusal(OutputRefusal::Kind::Protected, std::move(*reason));
        }
    }
    return std::nullopt;
}

void refuse(const std::optional<OutputRefusal>& refusal) {
    if (refusal) {
        throw *refusal;
    }
}

}  // namespace

// Checked before the run, so that nothing is read or created: the temporary file beside a
// stream would itself become a stream of a new file.
std::optional<OutputRefusal> refusalOf(const ListingTarget& target) {
    if (!target.standardOutput) {
        if (target.devicesRefused && kWindowsNameRules && isWindowsDeviceName(target.path)) {
            return OutputRefusal(OutputRefusal::Kind::Device);
        }
        if (namesFileStream(target.path)) {
            return OutputRefusal(OutputRefusal::Kind::Stream);
        }
    }
    return protectedRefusal(target);
}

std::optional<std::size_t> collectAndWrite(const ListingTarget& target, CollectionClient& client,
                                           const RunOptions& options, ListingSteps& steps,
                                           Collected& collected) {
    refuse(refusalOf(target));
    if (!target.standardOutput) {
        refuseReadOnlyOutput(target.path);
    }
    if (!steps.checked()) {
        return std::nullopt;
    }
    collected = runCollection(target.dataFolder, client, options);
    stopIfRequested(options.stop);
    if (!steps.mayWrite(collected)) {
        return std::nullopt;
    }
    stopIfRequested(options.stop);  // stopped before the write: the earlier listing stays
    refuse(protectedRefusal(target));
    if (!steps.writing()) {
        return std::nullopt;
    }
    if (target.standardOutput) {
        return writeListingToStandardOutput(collected.listing, target.format);
    }
    return writeListing(target.path, collected.listing, target.format, options.stop);
}

}  // namespace catalog
