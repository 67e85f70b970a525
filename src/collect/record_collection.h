// The reading itself: every file of one folder, on several threads, into one listing in the
// order of the names.
#pragma once

#include <cstddef>
#include <string>

#include "collect/collection_run.h"

namespace catalog {

// Lists the folder `folderPath` (ending in a separator) and reads and extracts every regular file
// of it, on `workers` threads, the calling one among them. The rows come in the byte order of the
// names, exactly as one thread reading the sorted names would give them. Only the calling
// thread talks to `client`: it reports the files read. Every thread watches `options.stop` (may
// be null); `options.rowDetails` says whether the rows keep their fields and files. Throws the
// failure of the first failing file in name order, a failure of the folder or of the run's own
// bookkeeping (std::bad_alloc), or RunStopped. No exception ever leaves a helper thread.
Collected collectRecords(const std::string& folderPath, CollectionClient& client, unsigned workers,
                         const RunOptions& options);

}  // namespace catalog
