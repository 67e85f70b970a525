#pragma once

#include <optional>
#include <string>

namespace catalog {

// Why a run must not write its listing to `output`, or nothing when it may, asked before the run
// so that nothing is read or written:
// - `output` is one of the programs: the running one, or catalog-collector or
//   catalog-collector-cli in `programDirectory` (none looked for when it is empty). A listing
//   written over a program would stay executable, and a shell would run its rows as commands.
// - the listing would lie in `dataFolder`, among the pages, where the next run would read it as
//   one (pages in folders below it are not read, so a listing there is left alone).
// Files and folders are compared by what they are, not by name, so that no other way of naming
// them (a link, a hard link, "..") gets past. The reason, in words and the raw bytes of the
// paths, is for a front end to finish: "it is the program catalog-collector-cli, which the
// listing would replace".
std::optional<std::string> protectedOutputReason(const std::string& output,
                                                 const std::string& dataFolder,
                                                 const std::string& programDirectory);

}  // namespace catalog
