#pragma once

#include <cstddef>
#include <vector>

#include "window/column_widths.h"

namespace catalog::window {

// The widths of the table's columns, for any view: after each run every column the user has not
// sized fits the new rows, one the user dragged keeps its width, and the last reaches the
// view's right edge, so that no empty strip is left beside it.
class TableColumns {
public:
    // The widths the view opens with.
    explicit TableColumns(std::vector<int> widths);

    // After a run: every column the user has not sized fits the new rows (see columnWidths).
    void fit(const ColumnsToFit& columns, const ValueWidth& valueWidth);
    // The user dragged the edge of `column` to `width`: it keeps that from now on.
    void sizedByUser(std::size_t column, int width);
    // The screen's dots per inch changed: every column keeps its size in inches.
    void rescale(int oldDpi, int newDpi);

    // The widths to show in a view whose rows are `viewWidth` wide: as dragged, and as fitted
    // once the fitted ones share the room the dragged ones leave (see sharedWidths); the last
    // one widened to the right edge when the others leave it room.
    std::vector<int> shown(int viewWidth) const;

private:
    std::vector<int> m_widths;       // as fitted or dragged, before the fitted ones share
    std::vector<int> m_titleWidths;  // below which no fitted column is narrowed
    std::vector<bool> m_sizedByUser;
};

}  // namespace catalog::window
