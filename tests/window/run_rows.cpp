#include "run_rows.h"

#include "reference/field_rules.h"

namespace catalog::window::testing {

RunRows runOf(const std::vector<std::pair<std::string, std::string>>& files) {
    std::string rows;
    std::vector<FieldLengths> fields;
    std::vector<std::size_t> ends;     // values may hold line ends themselves
    std::vector<std::size_t> records;  // per file
    for (const auto& [name, page] : files) {
        records.push_back(0);
        // A page without the record marker stands for a record whose price was not found.
        std::vector<std::string_view> pieces = recordPieces(page);
        if (pieces.empty()) {
            pieces.push_back(page);
        }
        for (const std::string_view piece : pieces) {
            fields.push_back(appendRecordRow(piece, rows));
            rows.append(kLineEnd);
            ends.push_back(rows.size());
            ++records.back();
        }
    }
    Listing listing;
    const std::string_view block = listing.hold(std::move(rows));
    const std::span<const FieldLengths> held = listing.holdFields(std::move(fields));
    std::size_t row = 0;
    for (std::size_t file = 0; file < files.size(); ++file) {
        listing.addPage(files[file].first);
        for (std::size_t i = 0; i < records[file]; ++i, ++row) {
            const std::size_t start = row == 0 ? 0 : ends[row - 1];
            listing.addLine(block.substr(start, ends[row] - start), held[row]);
        }
    }
    return RunRows(std::move(listing));
}

}  // namespace catalog::window::testing
