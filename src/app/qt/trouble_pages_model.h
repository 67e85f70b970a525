#pragma once

#include <QAbstractListModel>
#include <QSize>

#include "window/trouble_pages.h"

namespace catalog::qt_window {

// The lines of the page list, each made when the view paints it: a page may hold millions of
// records that lack a field.
class TroublePagesModel : public QAbstractListModel {
    Q_OBJECT

public:
    TroublePagesModel(window::TroublePages pages, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const window::TroublePages& pages() const { return m_pages; }
    // The size of every line, so that a view of uniform lines scrolls as far as the widest.
    void setLineSize(QSize size) { m_lineSize = size; }

private:
    window::TroublePages m_pages;
    QSize m_lineSize;
};

}  // namespace catalog::qt_window
