#pragma once

#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include <QAbstractTableModel>
#include <QItemSelection>

#include "window/shown_rows.h"

namespace catalog::qt_window {

// The rows found so far as the table shows them, one column per field and one for the file.
// Every text comes ready from the window layer, cut to one short line off the window's thread,
// so showing a row costs the same however long its values are.
class RowTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The Details box's text for `row` (see window::rowDetails).
    std::string details(int row) const;
    // How many runs still have a row here.
    std::size_t runCount() const { return m_rows.runCount(); }

    // Should memory run short in any of these, std::bad_alloc leaves the rows as they were and
    // the view told of exactly what changed.

    // A whole run's rows arrive as one insertion, so the view lays out once, not once a row.
    // Returns the row each went to, in the order collected (see ShownRows::append).
    std::vector<std::size_t> append(window::RunRows rows);
    // The rows `selection` touches leave the table; the files are not touched.
    void remove(const QItemSelection& selection);
    void clear();
    // A click on a column's header; the selection goes, as its rows move.
    window::SortState sortByColumn(int column);

    // The rows `selection` touches, in the table's order, as listing lines, with the titles
    // first when `withHeader`. Taken from the selection's ranges, so that copying every row
    // never makes an index per cell. Refused when the rows are too large for the clipboard or
    // for the memory left.
    std::variant<std::string, window::CopyRefusal> copyText(const QItemSelection& selection,
                                                            bool withHeader) const;

private:
    class Reset;

    window::ShownRows m_rows;
    // The rows the view has been told of: rows are added to the table before the view hears of
    // them, so that an append that fails for want of memory tells it nothing.
    int m_rowsTold = 0;
};

}  // namespace catalog::qt_window
