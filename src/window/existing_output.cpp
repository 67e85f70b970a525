#include "window/existing_output.h"

#include "collect/listing_format.h"
#include "platform/file_identity.h"
#include "platform/input_file.h"

namespace catalog::window {

ExistingOutput existingOutput(const std::string& path) {
    if (!isRegularFile(path)) {
        return ExistingOutput::None;
    }
    std::string start(kListingStartBytes, '\0');
    std::size_t got = 0;
    // A FIFO swapped in meanwhile is refused when opened, never waited for.
    InputFile file(path);
    for (std::size_t read = 1; read > 0 && got < start.size(); got += read) {
        read = file.read(start.data() + got, start.size() - got);
    }
    start.resize(got);
    if (startHoldsRows(start)) {
        return ExistingOutput::ListingWithRows;
    }
    return startsLikeListing(start) ? ExistingOutput::Listing : ExistingOutput::Other;
}

}  // namespace catalog::window
