#pragma once

#include <optional>

#include <QAbstractTableModel>
#include <QItemSelection>

#include "window/row_table.h"

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

    // A whole run's rows arrive as one insertion, so the view lays out once, not once a row.
    // Returns the first of them.
    int append(window::RunRows rows);

    // The rows `selection` touches, in the table's order, as listing lines. Taken from the
    // selection's ranges, so that copying every row never makes an index per cell.
    // Nothing when the rows are too large for the clipboard.
    std::optional<QString> copyText(const QItemSelection& selection) const;

private:
    window::RowTable m_table;
};

}  // namespace catalog::qt_window
