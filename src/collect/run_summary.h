// What a run found, counted and said in the same words by the window's status and the batch
// command's summary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "collect/collection_run.h"

namespace catalog {

struct RunCounts {
    std::size_t pages = 0;  // the files read
    std::size_t rows = 0;   // the listing's records
    PageCounts worthTelling;
};

RunCounts countsOf(const Collected& collected);

// "36 records written to output.txt from 41 pages (5 without a record, 2 with a field not
// found, 1 with several records)": the parenthesis names only what occurred.
std::string summaryOf(const RunCounts& counts, std::string_view destination);

// What to do when the data folder gave no page: "the data folder PATH is empty: put catalog
// pages into it", that there is none, or, when it holds something else, that it holds no pages
// and how many subfolders, whose pages are not read. The window and the batch command say it
// alike.
std::string noPagesAdvice(std::string_view folder, bool folderMissing,
                          const FolderLeftovers& leftovers);

}  // namespace catalog
