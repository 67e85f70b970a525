#pragma once

#include <QTableView>

namespace catalog::qt_window {

// The table of rows, which shows that it has the focus even with no current cell to frame (an
// empty table, as the window opens): a frame inside its edge. The current cell's own frame is
// the delegate's (DimmedCellDelegate).
class RowTableView : public QTableView {
    Q_OBJECT

public:
    using QTableView::QTableView;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace catalog::qt_window
