#include "app/qt/row_table_view.h"

#include <QPainter>

namespace catalog::qt_window {

void RowTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!hasFocus() || currentIndex().isValid()) {
        return;
    }
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
    painter.drawRect(viewport()->rect().adjusted(1, 1, -2, -2));
}

}  // namespace catalog::qt_window
