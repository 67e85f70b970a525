#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// clang-format off
#include <windows.h>  // before <commctrl.h>, which takes its types
#include <commctrl.h>
// clang-format on

#include "window/shown_rows.h"
#include "window/table_columns.h"

namespace catalog::win32_window {

// The list `displaylist`: a report-mode list view that holds no text of its own (a virtual
// list, LVS_OWNERDATA). It asks for the cells it paints, so that a run of 100,000 rows shows at
// once: adding rows only sets the count. Every text comes ready from the window layer.
class RowListView {
public:
    RowListView(HWND parent, int controlId);
    RowListView(const RowListView&) = delete;
    RowListView& operator=(const RowListView&) = delete;

    HWND handle() const { return m_list; }

    // Adds a run's rows, below the others or where the sort puts them, and scrolls the first
    // of them shown to the top.
    void append(window::RunRows rows);
    // Takes the selected rows, or all, out of the list; no file is touched.
    void removeSelected();
    // Empties the list and puts its columns back as they were at first.
    void clear();

    // The notifications the parent passes on from the list and its header: cell texts, dimmed
    // cells, tooltips, a click on a column's title, a column dragged wider or narrower or fitted
    // by a double click on its edge.
    // Nothing when the notification is not one of these.
    std::optional<LRESULT> notify(const NMHDR& header);

    // The rows selected, in the order shown.
    std::vector<std::size_t> selectedRows() const;
    const window::ShownRows& rows() const { return m_rows; }
    void selectAll();
    // The row with the focus, where the keys act; none in an empty list.
    std::optional<std::size_t> currentRow() const;
    // The column the user last clicked a cell of, at first the name column: a list view has no
    // current column of its own, and its Left and Right scroll.
    int currentColumn() const { return m_currentColumn; }

    // As a click on the title of `column`: sorted by it, then the other way, then as collected.
    void sortByColumn(int column);
    // As a double click on the edge of its title: the column fits its values, and keeps that width.
    void fitColumn(int column);

    // The font and the monitor's dots per inch changed: the columns keep their share.
    void rescale(int oldDpi, int newDpi);
    // The list changed its width: the last column still reaches its right edge.
    void showColumnWidths();

private:
    void addColumns();
    void fitColumns(const std::vector<std::size_t>& newRows);
    int textWidth(std::string_view text) const;
    void showRowCount();
    std::optional<LRESULT> headerNotify(const NMHEADERW& change);
    LRESULT columnResized(const NMHEADERW& change);
    LRESULT cellText(NMLVDISPINFOW& info) const;
    LRESULT customDraw(NMLVCUSTOMDRAW& draw) const;
    LRESULT cellDraw(NMLVCUSTOMDRAW& draw) const;
    void dimSelected(NMLVCUSTOMDRAW& draw) const;
    void drawFocus(NMLVCUSTOMDRAW& draw) const;
    LRESULT tooltip(NMLVGETINFOTIPW& tip) const;

    HWND m_list = nullptr;
    window::ShownRows m_rows;
    window::TableColumns m_columns;
    bool m_showingColumnWidths = false;  // the widths changing now are the list's, not the user's
    int m_currentColumn;
};

}  // namespace catalog::win32_window
