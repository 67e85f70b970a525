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

}  // namespace

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_table.rowCount());
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
            return fromUtf8(m_table.cell(row, column).text);
        case Qt::ToolTipRole:
            return literalRichText(fromUtf8(m_table.tooltip(row, column)));
        case Qt::ForegroundRole:
            return m_table.cell(row, column).notFound ? notFoundForeground() : QVariant();
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

int RowTableModel::append(window::RunRows rows) {
    const int first = rowCount();
    const auto added = static_cast<int>(rows.cells.size());
    if (added == 0) {
        return first;
    }
    beginInsertRows({}, first, first + added - 1);
    m_table.append(std::move(rows));
    endInsertRows();
    return first;
}

std::optional<QString> RowTableModel::copyText(const QItemSelection& selection) const {
    std::vector<std::size_t> rows;
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(static_cast<std::size_t>(row));
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const std::optional<std::string> text = m_table.copyText(rows);
    if (!text) {
        return std::nullopt;
    }
    return fromUtf8(*text);
}

}  // namespace catalog::qt_window
