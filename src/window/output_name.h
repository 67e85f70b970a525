#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "collect/listing_run.h"
#include "collect/program_paths.h"

namespace catalog::window {

// The Save-to box's text until the user types another, the batch command's default too.
inline constexpr std::string_view kDefaultOutputText = kDefaultOutputName;

// Where the window's run reads and writes: the data folder beside the programs in
// `programDirectory`, and `outputName` (as typed, UTF-8) there, in the form its name asks for.
// A name that Windows takes for a device (NUL.txt) is refused, as the listing would vanish
// while the window told of it as written.
ListingTarget listingTarget(const std::string& programDirectory, const std::string& outputName);

// The refusal of `outputName`, as the window says it.
std::string refusalText(const OutputRefusal& refusal, const std::string& outputName);

// The question to ask when Collect is clicked, before the run, or nothing: a run would replace a
// regular file at `outputName` (in `programDirectory`) that does not start as a listing of any
// form does (see startsLikeListing), which may be the user's own. A listing is replaced without a
// word, as it always was; what is not a regular file (a FIFO, a device) is written into, and is
// not even opened to tell; a name the run refuses anyway is left to that refusal, as is a file
// that cannot be read to tell (held open by another program, say). UTF-8, for a Yes/No box.
std::optional<std::string> replaceQuestion(const std::string& programDirectory,
                                           const std::string& outputName);

}  // namespace catalog::window
