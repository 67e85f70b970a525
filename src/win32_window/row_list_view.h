#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// clang-format off
#include <windows.h>  // before <commctrl.h>, which takes its types
#include <commctrl.h>
// clang-format on

#include "window/row_table.h"

namespace catalog::win32_window {

// The list `displaylist`: a report-mode list view that holds no text of its own (a virtual
// list, LVS_OWNERDATA). It asks for the cells it paints, so that a run of 100,000 rows shows at
// once: adding rows only sets the count. Every text comes ready from the window layer.
class RowListView {
public:
    RowListView(HWND parent, int controlId, HINSTANCE instance);
    RowListView(const RowListView&) = delete;
    RowListView& operator=(const RowListView&) = delete;

    HWND handle() const { return m_list; }

    // Adds a run's rows below the others and scrolls them into view, the first at the top.
    void append(window::RunRows rows);

    // The notifications the parent passes on from the list: cell texts, dimmed cells, tooltips.
    // Nothing when the notification is not one of these.
    std::optional<LRESULT> notify(const NMHDR& header);

    // The rows selected, in the table's order.
    std::vector<std::size_t> selectedRows() const;
    const window::RowTable& table() const { return m_table; }
    void selectAll();

    // The font and the monitor's dots per inch changed: the columns keep their share.
    void rescale(int oldDpi, int newDpi);

private:
    void addColumns();
    void fitColumnsToRows(std::size_t firstRow);
    int textWidth(std::string_view text) const;
    void scrollToTop(std::size_t row);
    LRESULT cellText(NMLVDISPINFOW& info) const;
    LRESULT customDraw(NMLVCUSTOMDRAW& draw) const;
    LRESULT tooltip(NMLVGETINFOTIPW& tip) const;
    int dpi() const;

    HWND m_list = nullptr;
    window::RowTable m_table;
    bool m_columnsFitted = false;
};

}  // namespace catalog::win32_window
