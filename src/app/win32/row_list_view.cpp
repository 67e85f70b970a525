#include "app/win32/row_list_view.h"

#include <algorithm>
#include <string_view>

#include "app/win32/accessible_texts.h"
#include "app/win32/controls.h"
#include "platform/wtf8.h"
#include "window/column_widths.h"
#include "window/contrast.h"
#include "window/control_texts.h"
#include "window/form1_layout.h"
#include "window/row_cells.h"
#include "window/window_texts.h"

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

window::Rgb rgbOf(COLORREF colour) {
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

bool highContrast() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// A field not found, in system colour `text` on `background`: weaker than the values, yet
// readable (4.5:1). Under High Contrast the user's own colours: disabled text, or on the
// selection the selection's text.
COLORREF dimmedColour(int text, int background) {
    if (highContrast()) {
        return ::GetSysColor(text == COLOR_HIGHLIGHTTEXT ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT);
    }
    const window::Rgb dimmed =
        window::dimmedColour(rgbOf(::GetSysColor(text)), rgbOf(::GetSysColor(background)));
    return RGB(dimmed.red, dimmed.green, dimmed.blue);
}

}  // namespace

RowListView::RowListView(HWND parent, int controlId)
    : m_columns(std::vector<int>(window::kColumnCount, kFirstColumnWidth)),
      m_currentColumn(static_cast<int>(window::kNameColumn)) {
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
    showRowCount();
}

// The titles name the header's columns for screen readers too: Wine's header tells none.
void RowListView::addColumns() {
    AccessibleTexts& header = accessibleTexts(ListView_GetHeader(m_list));
    header.partNames.clear();
    for (std::size_t column = 0; column < window::kColumnCount; ++column) {
        std::wstring title = wideFromUtf8(window::kColumnTitles[column]);
        header.partNames.push_back(title);
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
    // The last row, then the first new one: the first new row ends at the top, unless too few
    // rows follow it to fill the list.
    ListView_EnsureVisible(m_list, clampedToInt(m_rows.rowCount() - 1), FALSE);
    ListView_EnsureVisible(m_list, clampedToInt(*std::ranges::min_element(places)), FALSE);
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

// Only the count: the list asks for the texts of the rows it paints. A screen reader tells it.
void RowListView::showRowCount() {
    ListView_SetItemCountEx(m_list, clampedToInt(m_rows.rowCount()), LVSICF_NOSCROLL);
    setAccessibleDescription(m_list, wideFromUtf8(window::tableDescription(m_rows.rowCount())));
    ::InvalidateRect(m_list, nullptr, TRUE);
    showColumnWidths();
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

// The list fits it to its values, as the user asked, and it keeps that width. After a double
// click on its edge it is fitted here again, as the list may do so only after telling.
void RowListView::fitColumn(int column) {
    if (column < 0 || static_cast<std::size_t>(column) >= window::kColumnCount) {
        return;
    }
    m_showingColumnWidths = true;
    ListView_SetColumnWidth(m_list, column, LVSCW_AUTOSIZE);
    m_showingColumnWidths = false;
    m_columns.sizedByUser(static_cast<std::size_t>(column),
                          ListView_GetColumnWidth(m_list, column));
    showColumnWidths();
}

// The rows take their new places, and the selection, kept by place, goes; the header's arrow
// shows by which column and which way.
void RowListView::sortByColumn(int column) {
    if (column < 0) {
        return;
    }
    const window::SortState sort = m_rows.sortByColumn(static_cast<std::size_t>(column));
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
    HWND header = ListView_GetHeader(m_list);
    for (std::size_t title = 0; title < window::kColumnCount; ++title) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, static_cast<int>(title), &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (title == sort.column && sort.direction == window::SortDirection::Ascending) {
            item.fmt |= HDF_SORTUP;
        } else if (title == sort.column && sort.direction == window::SortDirection::Descending) {
            item.fmt |= HDF_SORTDOWN;
        }
        Header_SetItem(header, static_cast<int>(title), &item);
    }
    ::InvalidateRect(m_list, nullptr, TRUE);
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
        fitColumn(change.iItem);
        return 0;
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
        case NM_SETFOCUS:
            focusFirstItem(m_list);
            ::InvalidateRect(m_list, nullptr, FALSE);  // the focus is drawn (drawFocus)
            return 0;
        case NM_KILLFOCUS:
            ::InvalidateRect(m_list, nullptr, FALSE);
            return 0;
        case NM_CLICK:
        case NM_RCLICK:
        case NM_DBLCLK:
            if (const auto& click = notification<NMITEMACTIVATE>(header);
                click.iItem >= 0 && click.iSubItem >= 0) {
                m_currentColumn = click.iSubItem;
                ::InvalidateRect(m_list, nullptr, FALSE);
            }
            return 0;
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

LRESULT RowListView::customDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            return cellDraw(draw);
        case CDDS_ITEMPOSTPAINT | CDDS_SUBITEM:
        case CDDS_POSTPAINT:
            drawFocus(draw);
            return CDRF_DODEFAULT;
        default:
            return CDRF_DODEFAULT;
    }
}

// A field the rules did not find is drawn dimmed: its words stay readable while the values that
// were found stand out. The current cell is framed once drawn.
LRESULT RowListView::cellDraw(NMLVCUSTOMDRAW& draw) const {
    const std::size_t row = draw.nmcd.dwItemSpec;
    const auto column = static_cast<std::size_t>(draw.iSubItem);
    const bool notFound =
        row < m_rows.rowCount() && column < window::kColumnCount && m_rows.notFound(row, column);
    draw.clrText = notFound ? dimmedColour(COLOR_WINDOWTEXT, COLOR_WINDOW) : CLR_DEFAULT;
    // The list may pass what a cell was given on to the next cells of the row.
    draw.clrTextBk = ListView_GetTextBkColor(m_list);
    const int item = static_cast<int>(row);
    const bool selected = ListView_GetItemState(m_list, item, LVIS_SELECTED) != 0;
    draw.nmcd.uItemState = selected ? draw.nmcd.uItemState | CDIS_SELECTED
                                    : draw.nmcd.uItemState & ~static_cast<UINT>(CDIS_SELECTED);
    if (notFound && selected) {
        dimSelected(draw);
    }
    const bool current =
        draw.iSubItem == m_currentColumn && ListView_GetItemState(m_list, item, LVIS_FOCUSED) != 0;
    return CDRF_NEWFONT | (current ? CDRF_NOTIFYPOSTPAINT : 0);
}

// The list draws a selected cell in the selection's text colour, whatever colour it is given: the
// cell is drawn as one not selected, on the selection's colour, dimmed against it. The selection
// of a list without the focus is drawn in the colours of a button's face.
void RowListView::dimSelected(NMLVCUSTOMDRAW& draw) const {
    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
    if (::GetFocus() != m_list) {
        draw.clrTextBk = ::GetSysColor(COLOR_BTNFACE);
        draw.clrText = dimmedColour(COLOR_BTNTEXT, COLOR_BTNFACE);
        return;
    }
    draw.clrTextBk = ::GetSysColor(COLOR_HIGHLIGHT);
    draw.clrText = dimmedColour(COLOR_HIGHLIGHTTEXT, COLOR_HIGHLIGHT);
}

// Where the keys act, while the list has the focus: a frame around the current row's cell in the
// current column, or inside the edge of an empty list, where the list would draw nothing.
void RowListView::drawFocus(NMLVCUSTOMDRAW& draw) const {
    if (::GetFocus() != m_list) {
        return;
    }
    RECT frame{};
    bool selected = false;
    if (draw.nmcd.dwDrawStage == CDDS_POSTPAINT) {
        if (m_rows.rowCount() > 0) {
            return;
        }
        ::GetClientRect(m_list, &frame);
        HWND header = ListView_GetHeader(m_list);
        frame.top = header != nullptr && ::IsWindowVisible(header) ? clientSize(header).height : 0;
    } else {
        const int item = static_cast<int>(draw.nmcd.dwItemSpec);
        // The first column's bounds are the whole row's.
        if (!ListView_GetSubItemRect(m_list, item, m_currentColumn,
                                     m_currentColumn == 0 ? LVIR_LABEL : LVIR_BOUNDS, &frame)) {
            return;
        }
        selected = ListView_GetItemState(m_list, item, LVIS_SELECTED) != 0;
    }
    ::InflateRect(&frame, -1, -1);
    ::FrameRect(draw.nmcd.hdc, &frame,
                ::GetSysColorBrush(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
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

// A menu opened on a row with the mouse has focused it; else the first selected, else the first.
std::optional<std::size_t> RowListView::currentRow() const {
    int row = ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.rowCount()) {
        row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
    }
    if (row >= 0 && static_cast<std::size_t>(row) < m_rows.rowCount()) {
        return static_cast<std::size_t>(row);
    }
    return m_rows.rowCount() > 0 ? std::optional<std::size_t>(0) : std::nullopt;
}

}  // namespace catalog::win32_window
