#pragma once

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "collect/collection_run.h"
#include "collect/listing_format.h"

namespace catalog {

// Where a run's listing goes, as its front end was asked.
struct ListingTarget {
    std::string path;             // the file to replace; not looked at for standard output
    bool standardOutput = false;  // into whatever standard output is, left open
    // A name Windows takes for a device is refused: a window would tell of a listing that went
    // nowhere, where a command line may mean it.
    bool devicesRefused = false;
    std::string dataFolder;
    std::string programDirectory;  // empty when the system cannot say: the running program stays
    ListingFormat format = ListingFormat::Text;
};

// Why a listing may not go to its target, thrown before anything is read or written; the
// front end words it for its medium.
struct OutputRefusal : std::exception {
    enum class Kind { Device, Stream, Protected };
    OutputRefusal(Kind kind, std::string reason = {}) : kind(kind), reason(std::move(reason)) {}
    const char* what() const noexcept override { return "the listing's target is refused"; }

    Kind kind;
    // For Protected, what the target is: "it is the program catalog-collector-cli, which the
    // listing would replace", "it lies in the data folder ...". Raw bytes, as the paths are.
    std::string reason;
};

// The refusal that collectAndWrite would throw before the run, or nothing. The programs
// themselves (the running one, and both in the program directory) are never replaced: a shell
// would run a listing's rows as commands. Nor is a file of the data folder, which the next run
// would read as a page. Files and folders are compared by what they are, not by name, so that
// no link, hard link or ".." gets past.
std::optional<OutputRefusal> refusalOf(const ListingTarget& target);

// A front end's say on the way, each step by default going on; false ends the run there, having
// written nothing, with the front end knowing why.
class ListingSteps {
public:
    virtual ~ListingSteps() = default;
    // The target passed its checks; nothing was read yet.
    virtual bool checked() { return true; }
    // Between the run and the write: may wait, for a user's answer say.
    virtual bool mayWrite(const Collected&) { return true; }
    // The target was checked again; the write comes next.
    virtual bool writing() { return true; }
};

// The one way from an output's name to the written listing: checks the target (OutputRefusal,
// or the read-only mark's FileError), collects from its data folder into `collected`, checks
// the target again (a link swapped in during the run could lead the listing onto what was
// refused) and writes the listing in the target's format. `collected` is the caller's, so that
// the rows found outlive a failed write. Returns the values cut to what a workbook's cell
// holds, or nothing when a step said no.
std::optional<std::size_t> collectAndWrite(const ListingTarget& target, CollectionClient& client,
                                           const RunOptions& options, ListingSteps& steps,
                                           Collected& collected);

}  // namespace catalog
