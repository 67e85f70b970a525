// What a run found, counted and said in the same words by the window's status and the batch
// command's summary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "collect/collection_run.h"
#include "collect/listing_format.h"

namespace catalog {

struct RunCounts {
    std::size_t pages = 0;  // the files read
    std::size_t rows = 0;   // the listing's records
    PageCounts worthTelling;
    std::size_t subfoldersWithPages = 0;  // whose pages are not read
    // How the listing was written, and the values a workbook's cells could not hold whole.
    ListingFormat format = ListingFormat::Text;
    std::size_t cutValues = 0;
};

RunCounts countsOf(const Collected& collected);

// "36 records written to output.txt from 41 pages (5 without a record, 2 with a field not found, 1
// with several records)", or "13 records written to products.xlsx, a workbook, from 41 pages (3
// read through a wrapping); 1 value cut to 32,767 characters": the parenthesis names only what
// occurred. A destination that begins or ends with a blank is quoted, so that the blank shows.
std::string summaryOf(const RunCounts& counts, std::string_view destination);
// The summary's words before the destination and after it, for a window that shows the
// destination in its own way.
struct SummaryWords {
    std::string before;
    std::string after;
};
SummaryWords summaryWords(const RunCounts& counts);
// A name as the summary gives it: in double quotes when it begins or ends with a blank.
std::string shownName(std::string_view name);

// What happened and what to do when the data folder gave no page, up to the folder, which the
// caller adds: "the data folder is empty: put catalog pages into ", that there is none, or, when
// it holds something else, that it holds no pages and how many subfolders, whose pages are not
// read. The window and the batch command say it alike, the folder last, as the part a narrow
// window shortens.
std::string noPagesAdvice(bool folderMissing, const FolderLeftovers& leftovers);

// `folder` as a message names it: without the separator that ends it, as a user types it.
std::string_view withoutEndSeparator(std::string_view folder);

}  // namespace catalog
