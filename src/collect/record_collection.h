#pragma once

#include <cstddef>
#include <string>

#include "collect/collection_run.h"

namespace catalog {

// Lists the folder `folderPath` (ending in a separator) and reads and extracts every regular file
// of it, on `wanted.workers` threads, the calling one among them. The rows come in the byte order
// of the names, exactly as one thread reading the sorted names would give them. Only the calling
// thread talks to `client`: it reports the files read. Every thread watches `wanted.stop` (may be
// null). Throws the failure of the first failing file in name order, a failure of the folder or of
// the run's own bookkeeping (std::bad_alloc), or RunStopped. No exception ever leaves a helper
// thread.
struct RecordsWanted {
    unsigned workers = 1;
    const StopFlag* stop = nullptr;
    bool rowDetails = true;  // each row's fields and file, besides its line
};

Collected collectRecords(const std::string& folderPath, CollectionClient& client,
                         const RecordsWanted& wanted);

}  // namespace catalog
