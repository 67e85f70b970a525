#include "window/column_widths.h"

#include <algorithm>
#include <span>

namespace catalog::window {

namespace {

// Enough rows to be typical, few enough that measuring them is instant.
constexpr std::size_t kRowsMeasured = 100;
// A column takes its widest value unless that is more than half again as wide as nine values
// in ten: then the widest is an odd one, and the nine decide.
constexpr double kShareOfRowsTypical = 0.9;
constexpr double kMostOverTypical = 1.5;

// What the values of `column` in `rows` need: the widest, unless it is an odd one.
int valuesWidth(const ValueWidth& valueWidth, std::size_t column,
                std::span<const std::size_t> rows) {
    std::vector<int> widths;
    for (const std::size_t row : rows) {
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
    const std::span<const std::size_t> measured(columns.rows.data(),
                                                std::min(columns.rows.size(), kRowsMeasured));
    std::vector<int> widths;
    for (std::size_t column = 0; column < columns.titleWidths.size(); ++column) {
        int wanted = columns.titleWidths[column];
        if (!measured.empty()) {
            wanted =
                std::max(wanted, valuesWidth(valueWidth, column, measured) + columns.valueMargins);
        }
        widths.push_back(std::min(wanted, columns.viewWidth));
    }
    return widths;
}

}  // namespace catalog::window
