#include "run_rows.h"

#include "reference/field_rules.h"

namespace catalog::window::testing {

RunRows runOf(const std::vector<std::pair<std::string, std::string>>& files) {
    std::string rows;
    std::vector<FieldLengths> fields;
    std::vector<std::size_t> ends;  // values may hold line ends themselves
    for (const auto& [name, page] : files) {
        fields.push_back(appendRecordRow(page, rows));
        rows.append(kLineEnd);
        ends.push_back(rows.size());
    }
    Listing listing;
    const std::string_view block = listing.hold(std::move(rows));
    for (std::size_t i = 0, start = 0; i < files.size(); start = ends[i++]) {
        listing.addLine(block.substr(start, ends[i] - start), fields[i], files[i].first);
    }
    return RunRows(std::move(listing));
}

}  // namespace catalog::window::testing
