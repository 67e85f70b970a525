#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "collect/listing_format.h"
#include "platform/output_file.h"

namespace catalog {

class Listing;
class StopFlag;

// Writes `pieces`, one after the other, to `filename`, replacing a regular file in one step, so
// that a failed or interrupted write leaves the earlier file whole; see writeOutputFile for
// devices, pipes and links. Throws FileError, running out of memory included. Once `stop` is
// requested the write ends with RunStopped, the earlier file whole, unless its replacement has
// begun.
void WriteTextFile(const std::string& filename, std::span<const std::string_view> pieces,
                   const StopFlag* stop = nullptr);
void WriteTextFile(const std::string& filename, const PieceSource& pieces,
                   const StopFlag* stop = nullptr);

// Writes `listing` to `filename` in `format` as WriteTextFile writes, the text, CSV or workbook
// made as it is written, never whole; the listing must keep its rows' fields for all but the
// text. Returns how many values were cut to what a workbook's cell holds.
std::size_t writeListing(const std::string& filename, const Listing& listing, ListingFormat format,
                         const StopFlag* stop = nullptr);
// The same to standard output (see writeStandardOutput).
std::size_t writeListingToStandardOutput(const Listing& listing, ListingFormat format);

}  // namespace catalog
