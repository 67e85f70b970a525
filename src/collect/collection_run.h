#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace catalog {

// Where a run's listing goes: a file, or standard output for the batch command's "-".
struct ListingTarget {
    std::string path;
    bool standardOutput = false;

    static ListingTarget file(std::string path) { return {std::move(path), false}; }
    static ListingTarget standardOutputStream() { return {"", true}; }
    std::string describe() const { return standardOutput ? "standard output" : path; }
};

// What a run needs from the program that starts it.
class CollectionClient {
public:
    virtual ~CollectionClient() = default;

    // One row per record, in listing order: the four values joined by tabs, no line end.
    // Called only once every file has been read, so a failed run adds no row.
    virtual void appendRow(std::string_view row) = 0;

    // Asked once, after the last row, so a name typed during the run still counts.
    virtual ListingTarget listingTarget() = 0;

    // After each file is read: how many of the listed files have been read so far.
    virtual void filesRead(std::size_t /*done*/, std::size_t /*total*/) {}

    // Asked after each file and before the write: a run told to stop ends with RunStopped,
    // shows no row and writes nothing, so a window closed mid-run leaves the old listing be.
    virtual bool stopRequested() { return false; }
};

// How a run ends when its client asked it to stop.
class RunStopped : public std::runtime_error {
public:
    RunStopped() : std::runtime_error("the collection run was stopped") {}
};

struct RunSummary {
    std::size_t filesRead = 0;
    std::size_t records = 0;
    ListingTarget target;
    // There was no data folder, so the listing holds the header alone: worth telling, since a
    // mistyped or moved folder looks the same.
    bool dataFolderMissing = false;
};

// The listing's name until the user gives another, in the window and the batch command alike.
inline constexpr std::string_view kDefaultOutputName = "output.txt";

// The data folder and the default listing beside a program, joined as plain text so that an
// output name is used exactly as typed: "sub/x.txt" lands in the folder sub, "/tmp/x" inside
// the program directory.
std::string dataFolderIn(const std::string& programDirectory);
std::string outputPathIn(const std::string& programDirectory, std::string_view outputName);

struct RunOptions {
    // Threads that read and extract files; 0 means one per processor. The listing is the same
    // whatever the number.
    unsigned threads = 0;
    // A data folder that was named by the user must exist: one that is missing fails the run
    // instead of giving the header-only listing.
    bool requireDataFolder = false;
};

// One collection run: lists `dataFolder` (a path ending in "/"), reads every file, extracts the
// four fields of every product record, hands the rows to the client and writes the listing.
// A data folder that does not exist lists nothing; one that cannot be read fails the run.
// Stops at the first failure with a FileError, running out of memory included; nothing is
// written then, and an earlier listing stays as it was. Every call to the client is made on
// the calling thread.
RunSummary runCollection(const std::string& dataFolder, CollectionClient& client,
                         const RunOptions& options = {});

}  // namespace catalog
