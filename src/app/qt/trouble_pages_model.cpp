#include "app/qt/trouble_pages_model.h"

#include <algorithm>
#include <climits>

#include "app/qt/qt_text.h"

namespace catalog::qt_window {

TroublePagesModel::TroublePagesModel(window::TroublePages pages, QObject* parent)
    : QAbstractListModel(parent), m_pages(std::move(pages)) {}

// A view counts its rows in an int: beyond that the list ends, and copying takes them all.
int TroublePagesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0
                            : static_cast<int>(std::min<std::size_t>(m_pages.lineCount(), INT_MAX));
}

QVariant TroublePagesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return fromUtf8(m_pages.line(static_cast<std::size_t>(index.row())));
    }
    if (role == Qt::SizeHintRole && m_lineSize.isValid()) {
        return m_lineSize;
    }
    return {};
}

}  // namespace catalog::qt_window
