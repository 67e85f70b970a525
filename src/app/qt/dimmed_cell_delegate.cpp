#include "app/qt/dimmed_cell_delegate.h"

#include <QPainter>
#include <QPalette>

#include "app/qt/shown_colours.h"

namespace catalog::qt_window {

void DimmedCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    // The view's own colours: the style option's text colour is the model's once set.
    const QPalette shown = option->palette;
    QStyledItemDelegate::initStyleOption(option, index);
    if (!index.data(Qt::ForegroundRole).isValid()) {
        return;
    }
    // Slanted too: on a selection whose own text barely reads, its colour is the stronger one.
    option->font.setItalic(true);
    // The window's selection looks different while another window is active.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        option->palette.setColor(group, QPalette::Text, dimmedText(shown, group, false));
        option->palette.setColor(group, QPalette::HighlightedText, dimmedText(shown, group, true));
    }
}

void DimmedCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem plain = option;
    plain.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, plain, index);
    if ((option.state & QStyle::State_HasFocus) == 0) {
        return;
    }
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    painter->save();
    painter->setPen(
        QPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text), 1,
             Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
    painter->restore();
}

}  // namespace catalog::qt_window
