#include "window/table_columns.h"

#include <algorithm>
#include <numeric>

namespace catalog::window {

TableColumns::TableColumns(std::vector<int> widths)
    : m_widths(std::move(widths)), m_sizedByUser(m_widths.size(), false) {}

void TableColumns::fit(const ColumnsToFit& columns, const ValueWidth& valueWidth) {
    if (columns.rows.empty()) {
        return;  // a run that found nothing says nothing of the widths
    }
    const std::vector<int> fitted = columnWidths(columns, valueWidth);
    // The columns fitted share the room the dragged ones leave.
    std::vector<std::size_t> fitting;
    std::vector<int> wanted;
    std::vector<int> titles;
    int room = columns.viewWidth;
    for (std::size_t column = 0; column < std::min(fitted.size(), m_widths.size()); ++column) {
        if (m_sizedByUser[column]) {
            room -= m_widths[column];
        } else {
            fitting.push_back(column);
            wanted.push_back(fitted[column]);
            titles.push_back(columns.titleWidths[column]);
        }
    }
    const int share =
        columns.viewWidth / static_cast<int>(std::max<std::size_t>(1, m_widths.size()));
    const std::vector<int> shared = sharedWidths(std::move(wanted), titles, room, share);
    for (std::size_t i = 0; i < fitting.size(); ++i) {
        m_widths[fitting[i]] = shared[i];
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
    for (int& width : m_widths) {
        width = static_cast<int>((static_cast<long long>(width) * newDpi + oldDpi / 2) / oldDpi);
    }
}

std::vector<int> TableColumns::shown(int viewWidth) const {
    std::vector<int> widths = m_widths;
    if (!widths.empty()) {
        const int others = std::accumulate(widths.begin(), widths.end() - 1, 0);
        widths.back() = std::max(widths.back(), viewWidth - others);
    }
    return widths;
}

}  // namespace catalog::window
