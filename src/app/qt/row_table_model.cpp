#include "app/qt/row_table_model.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include <QGuiApplication>
#include <QPalette>

#include "app/qt/qt_text.h"
#include "app/qt/shown_colours.h"
#include "window/row_details.h"

namespace catalog::qt_window {

namespace {

// A field the rules did not find is drawn weaker than the values yet readable. The view's
// delegate draws it so on the view's own palette, selected or not.
QVariant notFoundForeground() {
    return QBrush(dimmedText(QGuiApplication::palette(), QPalette::Active, false));
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

// The view is told of a change that may fail halfway as a reset, which it takes whatever the
// rows became: the reset ends however the change does.
class RowTableModel::Reset {
public:
    explicit Reset(RowTableModel& model) : m_model(model) { m_model.beginResetModel(); }
    Reset(const Reset&) = delete;
    Reset& operator=(const Reset&) = delete;
    ~Reset() {
        m_model.m_rowsTold = static_cast<int>(m_model.m_rows.rowCount());
        m_model.endResetModel();
    }

private:
    RowTableModel& m_model;
};

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowsTold;
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
        case Qt::AccessibleDescriptionRole:
            return fromUtf8(m_rows.notFoundDescription(row, column));
        case Qt::ForegroundRole:
            return m_rows.notFound(row, column) ? notFoundForeground() : QVariant();
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

std::string RowTableModel::details(int row) const {
    return window::rowDetails(m_rows, static_cast<std::size_t>(row));
}

std::vector<std::size_t> RowTableModel::append(window::RunRows rows) {
    const auto added = static_cast<int>(rows.rowCount());
    if (added == 0) {
        return {};
    }
    // Unsorted, the rows go below the others; sorted, they go everywhere between them.
    if (m_rows.sort().direction != window::SortDirection::None) {
        const Reset reset(*this);
        return m_rows.append(std::move(rows));
    }
    std::vector<std::size_t> places = m_rows.append(std::move(rows));
    beginInsertRows({}, m_rowsTold, m_rowsTold + added - 1);
    m_rowsTold += added;
    endInsertRows();
    return places;
}

void RowTableModel::remove(const QItemSelection& selection) {
    std::vector<std::size_t> rows = selectedRows(selection);
    if (rows.empty()) {
        return;
    }
    // One block of rows, as Ctrl+A or a Shift+click chooses, keeps the view's place. Removing
    // takes no memory, so it cannot fail between the two calls.
    if (rows.back() - rows.front() + 1 == rows.size()) {
        beginRemoveRows({}, static_cast<int>(rows.front()), static_cast<int>(rows.back()));
        m_rows.remove(std::move(rows));
        m_rowsTold = static_cast<int>(m_rows.rowCount());
        endRemoveRows();
        return;
    }
    const Reset reset(*this);
    m_rows.remove(std::move(rows));
}

void RowTableModel::clear() {
    const Reset reset(*this);
    m_rows.clear();
}

window::SortState RowTableModel::sortByColumn(int column) {
    const Reset reset(*this);
    return m_rows.sortByColumn(static_cast<std::size_t>(column));
}

std::variant<std::string, window::CopyRefusal> RowTableModel::copyText(
    const QItemSelection& selection, bool withHeader) const {
    return m_rows.copyText(selectedRows(selection), withHeader);
}

}  // namespace catalog::qt_window
