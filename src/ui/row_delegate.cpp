#include "ui/row_delegate.h"

#include <array>

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace catalog::ui {

namespace {

constexpr int kFieldCount = 4;
// Widths of the first three columns in average characters; the name takes what is left.
constexpr std::array<int, kFieldCount - 1> kColumnCharacters = {12, 9, 30};
constexpr int kPadding = 4;

// A value may hold line breaks and tabs; on a one-line row they show as blanks.
QString oneLine(QString value) {
    for (QChar& c : value) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            c = QLatin1Char(' ');
        }
    }
    return value;
}

// The first three tabs end the reference, price and thumbnail; any later tab belongs to the
// name.
std::array<QString, kFieldCount> splitFields(const QString& row) {
    std::array<QString, kFieldCount> fields;
    qsizetype start = 0;
    for (int i = 0; i < kFieldCount - 1; ++i) {
        const qsizetype tab = row.indexOf(QLatin1Char('\t'), start);
        if (tab < 0) {
            fields[i] = oneLine(row.mid(start));
            return fields;
        }
        fields[i] = oneLine(row.mid(start, tab - start));
        start = tab + 1;
    }
    fields[kFieldCount - 1] = oneLine(row.mid(start));
    return fields;
}

}  // namespace

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString row = item.text;
    item.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const bool selected = item.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const std::array<QString, kFieldCount> fields = splitFields(row);
    const int characterWidth = item.fontMetrics.averageCharWidth();
    int left = item.rect.left() + kPadding;
    for (int i = 0; i < kFieldCount; ++i) {
        const int right = i < kFieldCount - 1 ? left + kColumnCharacters[i] * characterWidth
                                              : item.rect.right() + 1;
        const QRect cell(left, item.rect.top(), right - left - kPadding, item.rect.height());
        const QString shown = item.fontMetrics.elidedText(fields[i], Qt::ElideRight, cell.width());
        painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        left = right;
    }
    painter->restore();
}

QSize RowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    // One height for every row lets the view skip measuring rows it does not show.
    return {option.rect.width(), option.fontMetrics.height() + kPadding};
}

}  // namespace catalog::ui
