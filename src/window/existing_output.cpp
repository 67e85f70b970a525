#include "window/existing_output.h"

#include <algorithm>
#include <string_view>

#include "collect/listing_format.h"
#include "platform/file_identity.h"
#include "platform/input_file.h"

namespace catalog::window {

namespace {

// Whether the rest of a workbook, after `start`, holds its sheet's second row.
bool workbookHoldsRows(InputFile& file, std::string_view start) {
    constexpr std::size_t kBlockBytes = 64 * 1024;
    const std::size_t kept = kWorkbookSecondRow.size() - 1;  // what a block may cut the row in
    std::string seen(start.substr(start.size() - std::min(start.size(), kept)));
    std::string block(kBlockBytes, '\0');
    for (std::size_t read = 0; (read = file.read(block.data(), block.size())) > 0;) {
        seen.append(block, 0, read);
        if (seen.find(kWorkbookSecondRow) != std::string::npos) {
            return true;
        }
        seen.erase(0, seen.size() - kept);
    }
    return false;
}

}  // namespace

ExistingOutput existingOutput(const std::string& path, bool readWorkbooks) {
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
    if (startHoldsRows(start) ||
        (readWorkbooks && startsLikeWorkbook(start) && workbookHoldsRows(file, start))) {
        return ExistingOutput::ListingWithRows;
    }
    return startsLikeListing(start) ? ExistingOutput::Listing : ExistingOutput::Other;
}

}  // namespace catalog::window
