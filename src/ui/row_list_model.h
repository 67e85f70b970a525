#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace catalog::ui {

// The rows the list shows, in the order runs added them. The list only grows: rows of earlier
// runs stay above those of later ones until the program ends.
class RowListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // A whole run's rows arrive as one insertion, so the view lays out once, not once a row.
    void appendRows(const QStringList& rows);

private:
    QStringList m_rows;
};

}  // namespace catalog::ui
