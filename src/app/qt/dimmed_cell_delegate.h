#pragma once

#include <QStyledItemDelegate>

namespace catalog::qt_window {

// Draws the table's cells as the style does, with two differences. A field not found is drawn
// weaker than the values yet readable, on a normal or a selected row and on any palette: the
// style would draw selected text in the selection's own text colour, whatever colour the model
// gives (the model gives a colour only to a field not found). And the current cell is framed in
// the colour of its text whenever the view has the focus: the style's frame, drawn in the
// selection's colour and only after a key, vanishes on a selected row.
class DimmedCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace catalog::qt_window
