#pragma once

#include <QStyledItemDelegate>

namespace catalog::ui {

// Draws a row's four tab-separated fields (reference, price, thumbnail, name) at fixed column
// stops, so that the columns line up from row to row however long each value is. A value too
// long for its column is cut short with an ellipsis; the tooltip shows the whole row.
class RowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace catalog::ui
