#include "window/row_details.h"

#include "collect/readable_numbers.h"

namespace catalog::window {

std::string rowDetails(const ShownRows& rows, std::size_t row) {
    std::string details;
    for (std::size_t column = 0; column < kColumnCount; ++column) {
        details.append(kColumnTitles[column]).append(": ");
        if (rows.notFound(row, column)) {
            details.append(rows.cell(row, column).text)
                .append("\n")
                .append(rows.notFoundDescription(row, column));
        } else {
            details.append(rows.tooltip(row, column));
        }
        const std::size_t size = rows.value(row, column).size();
        if (column != kFileColumn && size > kMostTooltipBytes) {
            details.append("\n(cut: the first " + grouped(kMostTooltipBytes) + " bytes of " +
                           grouped(size) + " are shown; the listing holds the whole value)");
        }
        details.append(column + 1 < kColumnCount ? "\n" : "");
    }
    return details;
}

}  // namespace catalog::window
