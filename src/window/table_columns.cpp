#include "window/table_columns.h"

#include <algorithm>
#include <numeric>

namespace catalog::window {

TableColumns::TableColumns(std::vector<int> widths, std::size_t widening)
    : m_widths(std::move(widths)),
      m_titleWidths(m_widths.size(), 0),
      m_sizedByUser(m_widths.size(), false),
      m_widening(widening) {}

void TableColumns::fit(const ColumnsToFit& columns, const ValueWidth& valueWidth) {
    if (columns.rows.empty()) {
        return;  // a run that found nothing says nothing of the widths
    }
    const std::vector<int> fitted = columnWidths(columns, valueWidth);
    for (std::size_t column = 0; column < std::min(fitted.size(), m_widths.size()); ++column) {
        if (!m_sizedByUser[column]) {
            m_widths[column] = fitted[column];
            m_titleWidths[column] = columns.titleWidths[column];
        }
    }
}

void TableColumns::sizedByUser(std::size_t column, int width) {
    if (column < m_widths.size()) {
        m_widths[column] = width;
        m_sizedByUser[column] = true;
    }
}

void TableColumns::rescale(int oldDpi, int newDpi) {
    if (oldDpi <= 0 || newDpi <= 0) {
        return;
    }
    for (std::vector<int>* widths : {&m_widths, &m_titleWidths}) {
        for (int& width : *widths) {
            width =
                static_cast<int>((static_cast<long long>(width) * newDpi + oldDpi / 2) / oldDpi);
        }
    }
}

// Shared at every width the view takes, not only at the run's end: the rows a run adds may bring
// a scroll bar that narrows the view.
std::vector<int> TableColumns::shown(int viewWidth) const {
    std::vector<int> widths = m_widths;
    if (widths.empty()) {
        return widths;
    }
    // The columns fitted share the room the dragged ones leave.
    std::vector<std::size_t> fitting;
    std::vector<int> wanted;
    std::vector<int> titles;
    int room = viewWidth;
    for (std::size_t column = 0; column < widths.size(); ++column) {
        if (m_sizedByUser[column]) {
            room -= widths[column];
        } else {
            fitting.push_back(column);
            wanted.push_back(widths[column]);
            titles.push_back(m_titleWidths[column]);
        }
    }
    const int share = viewWidth / static_cast<int>(widths.size());
    const std::vector<int> shared = sharedWidths(std::move(wanted), titles, room, share);
    for (std::size_t i = 0; i < fitting.size(); ++i) {
        widths[fitting[i]] = shared[i];
    }
    const std::size_t widening =
        m_widening < widths.size() && !m_sizedByUser[m_widening] ? m_widening : widths.size() - 1;
    const int others = std::accumulate(widths.begin(), widths.end(), 0) - widths[widening];
    widths[widening] = std::max(widths[widening], viewWidth - others);
    return widths;
}

}  // namespace catalog::window
