#include "app/qt/dimmed_cell_delegate.h"

#include <QPalette>

namespace catalog::qt_window {

namespace {

// Halfway between the two: readable on the selection, and plainly weaker than its text.
QColor between(const QColor& one, const QColor& other) {
    return QColor((one.red() + other.red()) / 2, (one.green() + other.green()) / 2,
                  (one.blue() + other.blue()) / 2);
}

}  // namespace

void DimmedCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!index.data(Qt::ForegroundRole).isValid()) {
        return;
    }
    QPalette& palette = option->palette;
    // The window's selection looks different while another window is active.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::HighlightedText,
                         between(palette.color(group, QPalette::HighlightedText),
                                 palette.color(group, QPalette::Highlight)));
    }
}

}  // namespace catalog::qt_window
