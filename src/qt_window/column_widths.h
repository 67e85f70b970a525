#pragma once

class QTableView;

namespace catalog::qt_window {

// Sets every column of `view` as wide as its title and the values of the rows from `firstRow`
// on (at most a hundred of them) need, and never wider than the view. A value far wider than
// most, a record that ran into the next or a name of megabytes, is left out, so that it does
// not push the other columns out of sight: it is cut short with an ellipsis, and its tooltip
// shows more.
void fitColumnsToRows(QTableView& view, int firstRow);

}  // namespace catalog::qt_window
