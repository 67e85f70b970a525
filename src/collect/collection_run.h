// A collection run as the programs start it: what it may be asked, what it tells while it
// runs, and what it gives back, failures named for a user.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "collect/listing.h"
#include "collect/page_finding.h"
#include "collect/stop_flag.h"

namespace catalog {

// What a run tells the program that starts it, on the calling thread: its progress.
class CollectionClient {
public:
    virtual ~CollectionClient() = default;

    // After each file is read: how many of the listed files have been read so far.
    virtual void filesRead(std::size_t /*done*/, std::size_t /*total*/) {}
    // While a page has been read for longer than RunOptions::slowPageAfter, told again and again
    // as it goes: its name in the data folder (raw bytes, valid for the call only), the bytes
    // read of it and its size when it was opened (0 where the system does not say). A count of
    // pages stands still for as long as one huge page is read; its bytes do not.
    virtual void slowPage(std::string_view /*name*/, std::uint64_t /*read*/,
                          std::uint64_t /*size*/) {}
    // No page is slow any more: the progress is counted in pages again.
    virtual void slowPageOver() {}
};

// What a data folder holds besides its pages: subfolders, whose pages a run does not read, and
// anything else (pipes, devices, links that lead nowhere).
struct FolderLeftovers {
    std::size_t subfolders = 0;
    std::size_t rest = 0;
};

// What a run found, for the program that started it to show and to write.
struct Collected {
    Listing listing;
    std::size_t files = 0;  // the regular files listed and read
    // There was no data folder, so the listing holds the header alone: worth telling, since a
    // mistyped or moved folder looks the same.
    bool folderMissing = false;
    // When no file was read from a folder that is there: what it holds instead, so that the
    // user learns why, above all that pages in subfolders are not read.
    FolderLeftovers leftovers;
    // The pages that gave no row, a field not found or several records, counted; and, when the
    // run was asked for them (RunOptions::pageNotes), each by name in the listing's order.
    PageCounts pageCounts;
    std::vector<PageNote> notes;
    // Subfolders whose pages would give rows, which are not read; with page notes, each is
    // named after the pages' notes.
    std::size_t subfoldersWithPages = 0;
};

struct RunOptions {
    // Threads that read and extract files; 0 means one per processor. The listing is the same
    // whatever the number.
    unsigned threads = 0;
    // A data folder that was named by the user must exist: one that is missing fails the run
    // instead of giving the header-only listing.
    bool requireDataFolder = false;
    // Once requested, the run ends with RunStopped within a fraction of a second and gives no
    // listing, so a window closed mid-run leaves the old listing be.
    const StopFlag* stop = nullptr;
    // Each row's fields and file, for a window to show. A program that only writes the listing
    // (the batch command) is spared keeping them, or keeps the fields alone to write them in
    // another form.
    RowDetails rowDetails = RowDetails::All;
    // Each page worth telling of by name, for a window's tooltips or an explanation. A program
    // that only counts them is spared keeping their names.
    bool pageNotes = true;
    // A page without a record as it stands is read through the wrapping that holds one (a
    // single-file save, HTML escapes, UTF-16 without its mark). Off, pages are read as they
    // stand only.
    bool unwrap = true;
    // A page read for longer than this is told of on its own (CollectionClient::slowPage).
    std::chrono::steady_clock::duration slowPageAfter = std::chrono::seconds(1);
};

// One collection run: lists `dataFolder` (a path ending in a separator), reads every regular
// file of it on RunOptions::threads threads, the calling one among them, and extracts the four
// fields of every product record. The rows come in the byte order of the names, exactly as one
// thread reading the sorted names would give them. A data folder that does not exist lists
// nothing; one that cannot be read fails the run. Fails with a FileError: the first failing
// file's in name order, the folder's, or running out of memory for the run itself; or with
// RunStopped. Only the calling thread talks to `client`. The listing is the caller's to write
// (WriteTextFile), so a run that fails writes nothing.
Collected runCollection(const std::string& dataFolder, CollectionClient& client,
                        const RunOptions& options = {});

}  // namespace catalog
