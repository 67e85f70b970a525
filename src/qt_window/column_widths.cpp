#include "qt_window/column_widths.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include <QHeaderView>
#include <QTableView>

namespace catalog::qt_window {

namespace {

// Enough rows to be typical, few enough that measuring them is instant.
constexpr int kRowsMeasured = 100;
// A column takes its widest value unless that is more than half again as wide as nine values
// in ten: then the widest is an odd one, and the nine decide.
constexpr double kShareOfRowsTypical = 0.9;
constexpr double kMostOverTypical = 1.5;

int widthForRows(const QTableView& view, int column, int firstRow, int lastRow) {
    std::vector<int> widths;
    for (int row = firstRow; row <= lastRow; ++row) {
        widths.push_back(view.sizeHintForIndex(view.model()->index(row, column)).width());
    }
    std::sort(widths.begin(), widths.end());
    const int typical = widths[static_cast<std::size_t>(static_cast<double>(widths.size() - 1) *
                                                        kShareOfRowsTypical)];
    const int widest = widths.back();
    const int fitted = widest <= typical * kMostOverTypical ? widest : typical;
    // The grid line takes a pixel of the column.
    return fitted + (view.showGrid() ? 1 : 0);
}

}  // namespace

void fitColumnsToRows(QTableView& view, int firstRow) {
    const int lastRow = std::min(view.model()->rowCount(), firstRow + kRowsMeasured) - 1;
    if (lastRow < firstRow) {
        return;
    }
    QHeaderView& header = *view.horizontalHeader();
    for (int column = 0; column < header.count(); ++column) {
        const int wanted =
            std::max(header.sectionSizeHint(column), widthForRows(view, column, firstRow, lastRow));
        header.resizeSection(column, std::min(wanted, view.viewport()->width()));
    }
}

}  // namespace catalog::qt_window
