#include "window/shown_rows.h"

#include <algorithm>
#include <numeric>

#include "collect/listing.h"

namespace catalog::window {

namespace {

// The listing's own columns: the file a row came from is the window's, not the listing's.
constexpr std::size_t kListingColumns = kFileColumn;

}  // namespace

std::string copyHeaderLine() {
    std::string line;
    for (std::size_t column = 0; column < kListingColumns; ++column) {
        line.append(column == 0 ? "" : "\t").append(kColumnTitles[column]);
    }
    return line.append(kLineEnd);
}

const Cell& ShownRows::cell(std::size_t row, std::size_t column) const {
    return m_table.cell(m_order[row], column);
}

std::string ShownRows::tooltip(std::size_t row, std::size_t column) const {
    return m_table.tooltip(m_order[row], column);
}

std::optional<std::string> ShownRows::copyText(std::span<const std::size_t> rows,
                                               bool withHeader) const {
    std::vector<std::size_t> tableRows;
    tableRows.reserve(rows.size());
    for (const std::size_t row : rows) {
        tableRows.push_back(m_order[row]);
    }
    std::optional<std::string> text = m_table.copyText(tableRows);
    if (text && withHeader) {
        text->insert(0, copyHeaderLine());
    }
    return text;
}

std::vector<std::size_t> ShownRows::append(RunRows rows) {
    const std::size_t first = m_table.rowCount();
    m_table.append(std::move(rows));
    std::vector<std::size_t> added(m_table.rowCount() - first);
    std::iota(added.begin(), added.end(), first);
    if (m_sort.direction == SortDirection::None) {
        std::iota(added.begin(), added.end(), m_order.size());
        for (std::size_t row = first; row < m_table.rowCount(); ++row) {
            m_order.push_back(row);
        }
        return added;
    }
    std::vector<SortKey> shown = keysOf(m_order);
    std::vector<SortKey> addedKeys = keysOf(added);
    sortKeys(addedKeys, m_sort.direction);
    mergeKeys(shown, std::move(addedKeys), m_sort.direction);
    takeOrderOf(shown);
    for (std::size_t place = 0; place < m_order.size(); ++place) {
        if (m_order[place] >= first) {
            added[m_order[place] - first] = place;
        }
    }
    return added;
}

void ShownRows::remove(std::vector<std::size_t> rows) {
    std::vector<bool> removed(m_order.size(), false);
    for (const std::size_t row : rows) {
        if (row < removed.size()) {
            removed[row] = true;
        }
    }
    std::size_t kept = 0;
    for (std::size_t place = 0; place < m_order.size(); ++place) {
        if (!removed[place]) {
            m_order[kept++] = m_order[place];
        }
    }
    m_order.resize(kept);
    if (m_order.empty()) {
        clear();
    }
}

// Rows removed one by one keep their run's memory until the table is emptied: then it all goes.
void ShownRows::clear() {
    m_order.clear();
    m_table = RowTable();
}

SortState ShownRows::sortByColumn(std::size_t column) {
    if (column >= kColumnCount) {
        return m_sort;
    }
    m_sort = sortAfterClick(m_sort, column);
    // Always from the order of collection, so that rows of equal value keep it.
    std::vector<std::size_t> tableRows = std::move(m_order);
    std::sort(tableRows.begin(), tableRows.end());
    putInOrder(std::move(tableRows));
    return m_sort;
}

std::vector<SortKey> ShownRows::keysOf(std::span<const std::size_t> tableRows) const {
    std::vector<SortKey> keys;
    keys.reserve(tableRows.size());
    for (const std::size_t row : tableRows) {
        keys.push_back(
            {m_table.value(row, m_sort.column), m_table.cell(row, m_sort.column).notFound, row});
    }
    return keys;
}

void ShownRows::putInOrder(std::vector<std::size_t> tableRows) {
    if (m_sort.direction == SortDirection::None) {
        m_order = std::move(tableRows);
        return;
    }
    std::vector<SortKey> keys = keysOf(tableRows);
    sortKeys(keys, m_sort.direction);
    takeOrderOf(keys);
}

void ShownRows::takeOrderOf(const std::vector<SortKey>& keys) {
    m_order.resize(keys.size());
    std::transform(keys.begin(), keys.end(), m_order.begin(),
                   [](const SortKey& key) { return key.row; });
}

}  // namespace catalog::window
