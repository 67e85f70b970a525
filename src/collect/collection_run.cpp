#include "collect/collection_run.h"

#include <unistd.h>

#include "collect/field_extraction.h"
#include "collect/folder_listing.h"
#include "collect/listing.h"
#include "collect/text_files.h"

namespace catalog {

namespace {

void stopIfAsked(CollectionClient& client) {
    if (client.stopRequested()) {
        throw RunStopped();
    }
}

// Each file is read, tested and extracted, then dropped: memory follows the listing, not the
// folder.
Listing collectRecords(const std::string& dataFolder, const std::vector<std::string>& names,
                       CollectionClient& client) {
    Listing listing;
    FileReader reader;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string_view text = reader.read(dataFolder + names[i]);
        if (holdsRecord(text)) {
            listing.add(extractRecord(text));
        }
        client.filesRead(i + 1, names.size());
        stopIfAsked(client);
    }
    return listing;
}

void writeListing(const ListingTarget& target, const std::string& text) {
    if (target.standardOutput) {
        writeAll(STDOUT_FILENO, text, target.describe());
    } else {
        WriteTextFile(target.path, text);
    }
}

}  // namespace

std::string dataFolderIn(const std::string& programDirectory) {
    return programDirectory + "/data/";
}

std::string outputPathIn(const std::string& programDirectory, std::string_view outputName) {
    return programDirectory + "/" + std::string(outputName);
}

RunSummary runCollection(const std::string& dataFolder, CollectionClient& client) {
    const std::vector<std::string> names = FolderToTabs(dataFolder);
    const Listing listing = collectRecords(dataFolder, names, client);
    for (std::size_t i = 0; i < listing.rowCount(); ++i) {
        client.appendRow(listing.row(i));
    }
    RunSummary summary{names.size(), listing.rowCount(), client.listingTarget()};
    stopIfAsked(client);
    writeListing(summary.target, listing.text());
    return summary;
}

}  // namespace catalog
