#pragma once

#include <string>

namespace catalog::window {

// What a run would replace at the output's place, told by the file's start alone.
enum class ExistingOutput {
    None,             // no regular file: nothing yet, or a FIFO or device, never opened to tell
    Other,            // a file that is not a listing, which may be the user's own
    Listing,          // a listing of the header alone (or a workbook not read through)
    ListingWithRows,  // a listing with a row after its header
};

// Reads no more than the file's start at `path`, but for a workbook when `readWorkbooks`: its
// rows lie past its start, so it is read through, which only a run that found no page asks for.
// Throws FileError when it cannot be read: the file held open by another program, or not
// readable by this user, is not known to be anything.
ExistingOutput existingOutput(const std::string& path, bool readWorkbooks = false);

}  // namespace catalog::window
