#pragma once

#include <string>

#include "collect/folder_listing.h"
#include "collect/listing.h"

namespace catalog {

class CollectionClient;

// Reads every listed file of `contents` and extracts its record on `workers` threads, the
// calling one among them. The rows come in name order, exactly as one thread would give them.
// Only the calling thread talks to `client`: it reports the files read and asks whether to
// stop. Throws the failure of the first failing file in name order, or RunStopped.
// `folderPath` (ending in "/") names files in errors.
Listing collectRecords(const FolderContents& contents, const std::string& folderPath,
                       CollectionClient& client, unsigned workers);

}  // namespace catalog
