#include "ui/row_list_model.h"

namespace catalog::ui {

int RowListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant RowListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return m_rows.at(index.row());
    }
    return {};
}

void RowListModel::appendRows(const QStringList& rows) {
    if (rows.isEmpty()) {
        return;
    }
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows += rows;
    endInsertRows();
}

}  // namespace catalog::ui
