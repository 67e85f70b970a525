#include "collect/collection_run.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <thread>
#include <unistd.h>

#include "collect/file_error.h"
#include "collect/listing.h"
#include "collect/record_collection.h"
#include "collect/text_files.h"

namespace catalog {

namespace {

void stopIfAsked(CollectionClient& client) {
    if (client.stopRequested()) {
        throw RunStopped();
    }
}

unsigned workersFor(const RunOptions& options) {
    if (options.threads > 0) {
        return options.threads;
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

void writeListing(const ListingTarget& target, const Listing& listing) {
    if (target.standardOutput) {
        writeAll(STDOUT_FILENO, listing.lines(), target.describe());
    } else {
        WriteTextFile(target.path, listing.lines());
    }
}

}  // namespace

std::string dataFolderIn(const std::string& programDirectory) {
    return programDirectory + "/data/";
}

std::string outputPathIn(const std::string& programDirectory, std::string_view outputName) {
    return programDirectory + "/" + std::string(outputName);
}

RunSummary runCollection(const std::string& dataFolder, CollectionClient& client,
                         const RunOptions& options) {
    try {
        const Collected collected = collectRecords(dataFolder, client, workersFor(options));
        if (collected.folderMissing && options.requireDataFolder) {
            throw FileError("open data folder", dataFolder, ENOENT);
        }
        const Listing& listing = collected.listing;
        for (std::size_t i = 0; i < listing.rowCount(); ++i) {
            client.appendRow(listing.row(i));
        }
        RunSummary summary{collected.files, listing.rowCount(), client.listingTarget(),
                           collected.folderMissing};
        stopIfAsked(client);
        writeListing(summary.target, listing);
        return summary;
    } catch (const std::bad_alloc&) {
        // Out of memory for the run's own bookkeeping, not for any one file or the write, which
        // name their own path.
        throw FileError("collect", dataFolder, ENOMEM);
    }
}

}  // namespace catalog
