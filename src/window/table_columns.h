#pragma once

#include <cstddef>
#include <vector>

#include "window/column_widths.h"
#include "window/row_cells.h"

namespace catalog::window {

// The widths of the table's columns, for any view: after each run every column the user has not
// sized fits the new rows, one the user dragged keeps its width, and the room left over goes to
// one column, so that no empty strip is left at the view's right edge.
class TableColumns {
public:
    // The widths the view opens with. The room left over goes to `widening`, whose values are
    // the longest and the first cut short (the names), unless the user has sized it; then to the
    // last column.
    explicit TableColumns(std::vector<int> widths, std::size_t widening = kNameColumn);

    // After a run: every column the user has not sized fits the new rows (see columnWidths).
    void fit(const ColumnsToFit& columns, const ValueWidth& valueWidth);
    // The user dragged the edge of `column` to `width`: it keeps that from now on.
    void sizedByUser(std::size_t column, int width);
    // The screen's dots per inch changed: every column keeps its size in inches.
    void rescale(int oldDpi, int newDpi);

    // The widths to show in a view whose rows are `viewWidth` wide: as dragged, and as fitted
    // once the fitted ones share the room the dragged ones leave (see sharedWidths); the room
    // still left given to the widening column.
    std::vector<int> shown(int viewWidth) const;

private:
    std::vector<int> m_widths;       // as fitted or dragged, before the fitted ones share
    std::vector<int> m_titleWidths;  // below which no fitted column is narrowed
    std::vector<bool> m_sizedByUser;
    std::size_t m_widening;
};

}  // namespace catalog::window
