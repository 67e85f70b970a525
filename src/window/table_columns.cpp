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
    for (std::size_t column = 0; column < std::min(fitted.size(), m_widths.size()); ++column) {
        if (!m_sizedByUser[column]) {
            m_widths[column] = fitted[column];
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
