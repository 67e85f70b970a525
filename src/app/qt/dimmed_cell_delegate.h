#pragma once

#include <QStyledItemDelegate>

namespace catalog::qt_window {

// Draws the table's cells as the style does, but keeps a field not found dimmed in a selected
// row too: the style draws selected text in the selection's own text colour, whatever colour
// the model gives. The model gives a colour only to a field not found.
class DimmedCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace catalog::qt_window
