#include "app/win32/row_list_view.h"

#include <algorithm>
#include <string_view>

#include "app/win32/controls.h"
#include "platform/wtf8.h"
#include "window/column_widths.h"
#include "window/control_texts.h"
#include "window/form1_layout.h"

namespace catalog::win32_window {

using win32::wideFromUtf8;
using window::kBaseDpi;
using window::scaled;

namespace {

// The margins a report-mode list view leaves either side of a cell's text, and of a title.
constexpr int kCellMargins = 12;
constexpr int kTitleMargins = 16;
constexpr int kArrowMargin = 6;
constexpr int kFirstColumnWidth = 100;

}  // namespace

RowListView::RowListView(HWND parent, int controlId)
    : m_columns(std::vector<int>(window::kColumnCount, kFirstColumnWidth)) {
    // Rows are selected whole, several at a time, and stay marked while the button has focus.
    // The list paints no text of its own: it is its name for screen readers.
    m_list = createChild(parent, WC_LISTVIEWW, wideFromUtf8(window::kTableName),
                         WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, controlId,
                         WS_EX_CLIENTEDGE);
    if (m_list == nullptr) {
        return;
    }
    ListView_SetExtendedListViewStyle(
        m_list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
    m_columns.rescale(kBaseDpi, dpiOf(m_list));
    addColumns();
}

void RowListView::addColumns() {
    for (std::size_t column = 0; column < window::kColumnCount; ++column) {
        std::wstring title = wideFromUtf8(window::kColumnTitles[column]);
        LVCOLUMNW format{};
        format.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        format.pszText = title.data();
        format.cx = scaled(kFirstColumnWidth, dpiOf(m_list));
        format.iSubItem = static_cast<int>(column);
        ListView_InsertColumn(m_list, static_cast<int>(column), &format);
    }
}

void RowListView::append(window::RunRows rows) {
    const bool sorted = m_rows.sort().direction != window::SortDirection::None;
    const std::vector<std::size_t> places = m_rows.append(std::move(rows));
    if (places.empty()) {
        return;
    }
    if (sorted) {
        // The list keeps its selection by place, and the rows have moved between the places.
        ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
    }
    showRowCount();
    fitColumns(places);
    scrollToTop(*std::min_element(places.begin(), places.end()));
}

// Neither the selection nor the rows below it are of use once rows have gone from between them.
void RowListView::removeSelected() {
    m_rows.remove(selectedRows());
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
    showRowCount();
}

// The columns go back to their first widths too, a width the user dragged included: a cleared
// list looks as it did when the window opened, without a scroll bar over nothing.
void RowListView::clear() {
    m_rows.clear();
    m_columns = window::TableColumns(std::vector<int>(window::kColumnCount, kFirstColumnWidth));
    m_columns.rescale(kBaseDpi, dpiOf(m_list));
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
    showRowCount();
}

// Only the count: the list asks for the texts of the rows it paints.
void RowListView::showRowCount() {
    ListView_SetItemCountEx(m_list, clampedToInt(m_rows.rowCount()), LVSICF_NOSCROLL);
    ::InvalidateRect(m_list, nullptr, TRUE);
    showColumnWidths();
}

// The last row, then the first new one: the first new row ends at the top, unless too few
// rows follow it to fill the list.
void RowListView::scrollToTop(std::size_t row) {
    ListView_EnsureVisible(m_list, clampedToInt(m_rows.rowCount() - 1), FALSE);
    ListView_EnsureVisible(m_list, clampedToInt(row), FALSE);
}

void RowListView::fitColumns(const std::vector<std::size_t>& newRows) {
    // Room for the sort arrow too, whether or not a column shows one now: a column fitted before
    // a sort keeps its title whole after it. The header draws the arrow beside the title, within
    // a square as high as itself and a margin.
    const int arrow =
        clientSize(ListView_GetHeader(m_list)).height + scaled(kArrowMargin, dpiOf(m_list));
    std::vector<int> titleWidths;
    for (const std::string_view title : window::kColumnTitles) {
        titleWidths.push_back(textWidth(title) + scaled(kTitleMargins, dpiOf(m_list)) + arrow);
    }
    const window::ColumnsToFit columns{.titleWidths = std::move(titleWidths),
                                       .rows = newRows,
                                       .valueMargins = scaled(kCellMargins, dpiOf(m_list)),
                                       .viewWidth = clientSize(m_list).width};
    m_columns.fit(columns, [this](auto row, auto column) {
        return textWidth(m_rows.cell(row, column).text);
    });
    showColumnWidths();
}

void RowListView::showColumnWidths() {
    const std::vector<int> widths = m_columns.shown(clientSize(m_list).width);
    m_showingColumnWidths = true;
    for (std::size_t column = 0; column < widths.size(); ++column) {
        ListView_SetColumnWidth(m_list, static_cast<int>(column), widths[column]);
    }
    m_showingColumnWidths = false;
}

// A width the list did not set is the user's, dragged on the header.
LRESULT RowListView::columnResized(const NMHEADERW& change) {
    if (m_showingColumnWidths || change.pitem == nullptr || (change.pitem->mask & HDI_WIDTH) == 0 ||
        change.iItem < 0) {
        return 0;
    }
    // Never below nothing: the list takes a negative width for one it should fit itself.
    m_columns.sizedByUser(static_cast<std::size_t>(change.iItem), std::max(0, change.pitem->cxy));
    showColumnWidths();
    return 0;
}

// A double click on the edge of `column`: the list fits it to its values, as the user asked, and
// it keeps that width. It is fitted here again, as the list may do so only after telling.
LRESULT RowListView::columnFittedByUser(int column) {
    if (column < 0 || static_cast<std::size_t>(column) >= window::kColumnCount) {
        return 0;
    }
    m_showingColumnWidths = true;
    ListView_SetColumnWidth(m_list, column, LVSCW_AUTOSIZE);
    m_showingColumnWidths = false;
    m_columns.sizedByUser(static_cast<std::size_t>(column),
                          ListView_GetColumnWidth(m_list, column));
    showColumnWidths();
    return 0;
}

// The rows take their new places, and the selection, kept by place, goes.
void RowListView::sortByColumn(int column) {
    if (column < 0) {
        return;
    }
    m_rows.sortByColumn(static_cast<std::size_t>(column));
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
    showSortArrows();
    ::InvalidateRect(m_list, nullptr, TRUE);
}

void RowListView::showSortArrows() {
    HWND header = ListView_GetHeader(m_list);
    const window::SortState sort = m_rows.sort();
    for (std::size_t column = 0; column < window::kColumnCount; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, static_cast<int>(column), &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == sort.column && sort.direction == window::SortDirection::Ascending) {
            item.fmt |= HDF_SORTUP;
        } else if (column == sort.column && sort.direction == window::SortDirection::Descending) {
            item.fmt |= HDF_SORTDOWN;
        }
        Header_SetItem(header, static_cast<int>(column), &item);
    }
}

int RowListView::textWidth(std::string_view text) const {
    return ListView_GetStringWidth(m_list, wideFromUtf8(text).c_str());
}

void RowListView::rescale(int oldDpi, int newDpi) {
    m_columns.rescale(oldDpi, newDpi);
    showColumnWidths();
}

// The list passes its header's notifications on: Windows's list each change of a width, Wine's
// only the end of a drag and a double click on a column's edge. Either tells of the user's width.
std::optional<LRESULT> RowListView::headerNotify(const NMHEADERW& change) {
    const UINT code = change.hdr.code;
    if (code == HDN_ITEMCHANGEDW || code == HDN_ENDTRACKW) {
        return columnResized(change);
    }
    if (code == HDN_DIVIDERDBLCLICKW) {
        return columnFittedByUser(change.iItem);
    }
    return std::nullopt;
}

std::optional<LRESULT> RowListView::notify(const NMHDR& header) {
    if (header.hwndFrom == ListView_GetHeader(m_list)) {
        return headerNotify(notification<NMHEADERW>(header));
    }
    if (header.hwndFrom != m_list) {
        return std::nullopt;
    }
    switch (header.code) {
        case LVN_GETDISPINFOW:
            return cellText(notification<NMLVDISPINFOW>(header));
        case NM_CUSTOMDRAW:
            return customDraw(notification<NMLVCUSTOMDRAW>(header));
        case LVN_COLUMNCLICK:
            sortByColumn(notification<NMLISTVIEW>(header).iSubItem);
            return 0;
        case LVN_GETINFOTIPW:
            return tooltip(notification<NMLVGETINFOTIPW>(header));
        default:
            return std::nullopt;
    }
}

LRESULT RowListView::cellText(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.iItem < 0 ||
        static_cast<std::size_t>(item.iItem) >= m_rows.rowCount() || item.iSubItem < 0 ||
        static_cast<std::size_t>(item.iSubItem) >= window::kColumnCount) {
        return 0;
    }
    const window::Cell cell =
        m_rows.cell(static_cast<std::size_t>(item.iItem), static_cast<std::size_t>(item.iSubItem));
    copyInto(wideFromUtf8(cell.text), item.pszText, item.cchTextMax);
    return 0;
}

// A field the rules did not find is drawn in the colour of disabled text: its words stay
// readable while the values that were found stand out.
LRESULT RowListView::customDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const std::size_t row = draw.nmcd.dwItemSpec;
            const auto column = static_cast<std::size_t>(draw.iSubItem);
            const bool notFound = row < m_rows.rowCount() && column < window::kColumnCount &&
                                  m_rows.notFound(row, column);
            draw.clrText = notFound ? ::GetSysColor(COLOR_GRAYTEXT) : CLR_DEFAULT;
            // The list may pass what a cell was given on to the next cells of the row.
            draw.clrTextBk = ListView_GetTextBkColor(m_list);
            const bool selected =
                ListView_GetItemState(m_list, static_cast<int>(row), LVIS_SELECTED) != 0;
            draw.nmcd.uItemState = selected
                                       ? draw.nmcd.uItemState | CDIS_SELECTED
                                       : draw.nmcd.uItemState & ~static_cast<UINT>(CDIS_SELECTED);
            if (notFound && selected) {
                dimSelected(draw);
            }
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

// The list draws a selected cell in the selection's text colour, whatever colour it is given: the
// cell is drawn as one not selected, on the selection's colour, in a colour halfway between the
// two. The selection of a list without the focus is drawn in the colours of a button's face,
// on which the colour of disabled text reads.
void RowListView::dimSelected(NMLVCUSTOMDRAW& draw) const {
    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
    if (::GetFocus() != m_list) {
        draw.clrTextBk = ::GetSysColor(COLOR_BTNFACE);
        return;
    }
    const COLORREF text = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    const COLORREF back = ::GetSysColor(COLOR_HIGHLIGHT);
    draw.clrTextBk = back;
    draw.clrText =
        RGB((GetRValue(text) + GetRValue(back)) / 2, (GetGValue(text) + GetGValue(back)) / 2,
            (GetBValue(text) + GetBValue(back)) / 2);
}

// The list names the row only; the column is the one under the pointer.
LRESULT RowListView::tooltip(NMLVGETINFOTIPW& tip) const {
    LVHITTESTINFO hit{};
    const DWORD at = ::GetMessagePos();
    hit.pt = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ::ScreenToClient(m_list, &hit.pt);
    if (ListView_SubItemHitTest(m_list, &hit) < 0 || hit.iItem != tip.iItem ||
        static_cast<std::size_t>(hit.iItem) >= m_rows.rowCount() || hit.iSubItem < 0 ||
        static_cast<std::size_t>(hit.iSubItem) >= window::kColumnCount) {
        return 0;
    }
    const std::wstring text = wideFromUtf8(m_rows.tooltip(static_cast<std::size_t>(hit.iItem),
                                                          static_cast<std::size_t>(hit.iSubItem)));
    copyInto(text, tip.pszText, tip.cchTextMax);
    return 0;
}

std::vector<std::size_t> RowListView::selectedRows() const {
    std::vector<std::size_t> rows;
    for (int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_list, row, LVNI_SELECTED)) {
        rows.push_back(static_cast<std::size_t>(row));
    }
    return rows;
}

void RowListView::selectAll() {
    ListView_SetItemState(m_list, -1, LVIS_SELECTED, LVIS_SELECTED);
}

POINT RowListView::keyMenuPoint() const {
    POINT where{0, 0};
    RECT row{};
    const int focused = ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
    if (focused >= 0 && ListView_GetItemRect(m_list, focused, &row, LVIR_BOUNDS) &&
        row.bottom > clientSize(ListView_GetHeader(m_list)).height &&
        row.bottom <= clientSize(m_list).height) {
        where = {std::max<LONG>(0, row.left), row.bottom};
    }
    ::ClientToScreen(m_list, &where);
    return where;
}

}  // namespace catalog::win32_window
