#include "collect/listing_run.h"

#include <utility>

#include "collect/protected_output.h"
#include "collect/text_files.h"
#include "platform/file_identity.h"
#include "platform/output_file.h"
#include "platform/paths.h"

namespace catalog {

namespace {

// The file a write lands in, as the refusals look at it. Standard output is the file the shell
// opened for it, whatever the name it was given (`1<>NAME`, `>>NAME`), or none when it is no
// file.
std::optional<std::string> landingFile(const ListingTarget& target) {
    return target.standardOutput ? standardOutputFile() : std::optional<std::string>(target.path);
}

// The programs themselves and the data folder's pages are never replaced by a listing, not even
// through standard output.
std::optional<OutputRefusal> protectedRefusal(const ListingTarget& target) {
    const std::optional<std::string> file = landingFile(target);
    if (!file) {
        return std::nullopt;
    }
    std::optional<std::string> reason =
        protectedOutputReason(*file, target.dataFolder, target.programDirectory);
    // Written into, not replaced: a page's other name is the page.
    if (!reason && target.standardOutput && hasNameIn(*file, target.dataFolder)) {
        reason = "it is a page of the data folder " + target.dataFolder + " under another name";
    }
    if (reason) {
        return OutputRefusal{OutputRefusal::Kind::Protected, std::move(*reason)};
    }
    return std::nullopt;
}

void refuse(const std::optional<OutputRefusal>& refusal) {
    if (refusal) {
        throw OutputRefused(*refusal);
    }
}

}  // namespace

// Checked before the run, so that nothing is read or created: the temporary file beside a
// stream would itself become a stream of a new file.
std::optional<OutputRefusal> refusalOf(const ListingTarget& target) {
    if (!target.standardOutput) {
        if (target.devicesRefused && kWindowsNameRules && isWindowsDeviceName(target.path)) {
            return OutputRefusal{OutputRefusal::Kind::Device};
        }
        if (namesFileStream(target.path)) {
            return OutputRefusal{OutputRefusal::Kind::Stream};
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
