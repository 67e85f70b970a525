#include "qt_window/row_table_model.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include <QGuiApplication>
#include <QPalette>

#include "qt_window/qt_text.h"

namespace catalog::qt_window {

namespace {

// A field the rules did not find is drawn in the colour of disabled text: its words stay
// readable while the values that were found stand out.
QVariant notFoundForeground() {
    return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
}

// The rows a selection touches, from the top, each once.
std::vector<std::size_t> selectedRows(const QItemSelection& selection) {
    std::vector<std::size_t> rows;
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(static_cast<std::size_t>(row));
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}  // namespace

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.rowCount());
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(window::kColumnCount);
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    switch (role) {
        case Qt::DisplayRole:
            return fromUtf8(m_rows.cell(row, column).text);
        case Qt::ToolTipRole:
            return literalRichText(fromUtf8(m_rows.tooltip(row, column)));
        case Qt::ForegroundRole:
            return m_rows.cell(row, column).notFound ? notFoundForeground() : QVariant();
        default:
            return {};
    }
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return fromUtf8(window::kColumnTitles[static_cast<std::size_t>(section)]);
}

std::vector<std::size_t> RowTableModel::append(window::RunRows rows) {
    const auto added = static_cast<int>(rows.cells.size());
    if (added == 0) {
        return {};
    }
    // Unsorted, the rows go below the others; sorted, they go everywhere between them.
    if (m_rows.sort().direction != window::SortDirection::None) {
        beginResetModel();
        std::vector<std::size_t> places = m_rows.append(std::move(rows));
        endResetModel();
        return places;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + added - 1);
    std::vector<std::size_t> places = m_rows.append(std::move(rows));
    endInsertRows();
    return places;
}

void RowTableModel::remove(const QItemSelection& selection) {
    const std::vector<std::size_t> rows = selectedRows(selection);
    if (rows.empty()) {
        return;
    }
    // One block of rows, as Ctrl+A or a Shift+click chooses, keeps the view's place.
    if (rows.back() - rows.front() + 1 == rows.size()) {
        beginRemoveRows({}, static_cast<int>(rows.front()), static_cast<int>(rows.back()));
        m_rows.remove(rows);
        endRemoveRows();
        return;
    }
    beginResetModel();
    m_rows.remove(rows);
    endResetModel();
}

void RowTableModel::clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

window::SortState RowTableModel::sortByColumn(int column) {
    beginResetModel();
    const window::SortState sort = m_rows.sortByColumn(static_cast<std::size_t>(column));
    endResetModel();
    return sort;
}

std::optional<QString> RowTableModel::copyText(const QItemSelection& selection,
                                               bool withHeader) const {
    const std::optional<std::string> text = m_rows.copyText(selectedRows(selection), withHeader);
    if (!text) {
        return std::nullopt;
    }
    return fromUtf8(*text);
}

}  // namespace catalog::qt_window
