#include "window/column_widths.h"

#include <algorithm>

namespace catalog::window {

namespace {

// Enough rows to be typical, few enough that measuring them is instant.
constexpr std::size_t kRowsMeasured = 100;
// A column takes its widest value unless that is more than half again as wide as nine values
// in ten: then the widest is an odd one, and the nine decide.
constexpr double kShareOfRowsTypical = 0.9;
constexpr double kMostOverTypical = 1.5;

// What the values of `column` in the rows from `firstRow` to before `endRow` need: the widest,
// unless it is an odd one.
int valuesWidth(const ValueWidth& valueWidth, std::size_t column, std::size_t firstRow,
                std::size_t endRow) {
    std::vector<int> widths;
    for (std::size_t row = firstRow; row < endRow; ++row) {
        widths.push_back(valueWidth(row, column));
    }
    std::sort(widths.begin(), widths.end());
    const int typical = widths[static_cast<std::size_t>(static_cast<double>(widths.size() - 1) *
                                                        kShareOfRowsTypical)];
    const int widest = widths.back();
    return widest <= typical * kMostOverTypical ? widest : typical;
}

}  // namespace

std::vector<int> columnWidths(const ColumnsToFit& columns, const ValueWidth& valueWidth) {
    const std::size_t endRow = std::min(columns.rowCount, columns.firstRow + kRowsMeasured);
    std::vector<int> widths;
    for (std::size_t column = 0; column < columns.titleWidths.size(); ++column) {
        int wanted = columns.titleWidths[column];
        if (endRow > columns.firstRow) {
            wanted = std::max(wanted, valuesWidth(valueWidth, column, columns.firstRow, endRow) +
                                          columns.valueMargins);
        }
        widths.push_back(std::min(wanted, columns.viewWidth));
    }
    return widths;
}

}  // namespace catalog::window
