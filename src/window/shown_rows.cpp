#include "window/shown_rows.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <numeric>
#include <ranges>

#include "collect/listing.h"

namespace catalog::window {

// The listing's own header: the file a row came from is the window's column, not the listing's.
std::string copyHeaderLine() {
    return joinedFieldNames("\t");
}

Cell ShownRows::cell(std::size_t row, std::size_t column) const {
    return m_table.cell(m_order[row], column);
}

bool ShownRows::notFound(std::size_t row, std::size_t column) const {
    return m_table.notFound(m_order[row], column);
}

std::string ShownRows::tooltip(std::size_t row, std::size_t column) const {
    return m_table.tooltip(m_order[row], column);
}

std::string ShownRows::notFoundDescription(std::size_t row, std::size_t column) const {
    return m_table.notFoundDescription(m_order[row], column);
}

std::string_view ShownRows::value(std::size_t row, std::size_t column) const {
    return m_table.value(m_order[row], column);
}

std::size_t ShownRows::runCount() const {
    return static_cast<std::size_t>(std::count_if(m_shownOfRun.begin(), m_shownOfRun.end(),
                                                  [](std::size_t shown) { return shown > 0; }));
}

std::variant<std::string, CopyRefusal> ShownRows::copyText(std::span<const std::size_t> rows,
                                                           bool withHeader) const {
    try {
        std::vector<std::size_t> tableRows(rows.size());
        std::ranges::transform(rows, tableRows.begin(),
                               [&](std::size_t row) { return m_order[row]; });
        return m_table.copyText(tableRows, withHeader ? copyHeaderLine() : std::string());
    } catch (const std::bad_alloc&) {
        return CopyRefusal::NoMemory;
    }
}

// Everything that may fail is done before the order changes; a sorted append that fails takes
// its rows back out of the table.
std::vector<std::size_t> ShownRows::append(RunRows rows) {
    const std::size_t first = m_table.rowCount();
    const std::size_t count = rows.rowCount();
    std::vector<std::size_t> added(count);
    if (count == 0) {
        return added;  // the table keeps no run without rows
    }
    m_shownOfRun.reserve(m_shownOfRun.size() + 1);
    if (m_sort.direction == SortDirection::None) {
        m_order.reserve(m_order.size() + count);
        m_table.append(std::move(rows));
        m_shownOfRun.push_back(count);
        std::iota(added.begin(), added.end(), m_order.size());
        std::ranges::copy(std::views::iota(first, m_table.rowCount()), std::back_inserter(m_order));
        return added;
    }
    m_table.append(std::move(rows));
    try {
        std::iota(added.begin(), added.end(), first);
        std::vector<SortKey> shown = keysOf(m_order, m_sort.column);
        std::vector<SortKey> addedKeys = keysOf(added, m_sort.column);
        sortKeys(addedKeys, m_sort.direction);
        mergeKeys(shown, std::move(addedKeys), m_sort.direction);
        std::vector<std::size_t> order(shown.size());
        std::ranges::transform(shown, order.begin(), &SortKey::row);
        for (std::size_t place = 0; place < order.size(); ++place) {
            if (order[place] >= first) {
                added[order[place] - first] = place;
            }
        }
        m_order = std::move(order);
        m_shownOfRun.push_back(count);
    } catch (...) {
        m_table.dropLastRun();
        throw;
    }
    return added;
}

// Allocates nothing, so that rows can always be removed: the places are put in order where
// they are given.
void ShownRows::remove(std::vector<std::size_t> rows) noexcept {
    std::sort(rows.begin(), rows.end());
    auto next = rows.begin();
    std::size_t kept = 0;
    for (std::size_t place = 0; place < m_order.size(); ++place) {
        while (next != rows.end() && *next < place) {
            ++next;
        }
        if (next == rows.end() || *next != place) {
            m_order[kept++] = m_order[place];
        } else {
            --m_shownOfRun[m_table.runOf(m_order[place])];
        }
    }
    m_order.resize(kept);
    if (m_order.empty()) {
        clear();
    }
}

// Rows removed one by one keep their run's memory until the table is emptied: then it all goes.
void ShownRows::clear() noexcept {
    std::vector<std::size_t>().swap(m_order);
    std::vector<std::size_t>().swap(m_shownOfRun);
    m_table.clear();
}

SortState ShownRows::sortByColumn(std::size_t column) {
    if (column >= kColumnCount) {
        return m_sort;
    }
    const SortState sort = sortAfterClick(m_sort, column);
    // Always from the order of collection, so that rows of equal value keep it.
    std::vector<std::size_t> tableRows = m_order;
    std::sort(tableRows.begin(), tableRows.end());
    m_order = inOrder(std::move(tableRows), sort);
    m_sort = sort;
    return m_sort;
}

std::vector<SortKey> ShownRows::keysOf(std::span<const std::size_t> tableRows,
                                       std::size_t column) const {
    std::vector<SortKey> keys;
    keys.reserve(tableRows.size());
    for (const std::size_t row : tableRows) {
        keys.push_back({m_table.value(row, column), m_table.notFound(row, column), row});
    }
    return keys;
}

std::vector<std::size_t> ShownRows::inOrder(std::vector<std::size_t> tableRows,
                                            SortState sort) const {
    if (sort.direction == SortDirection::None) {
        return tableRows;
    }
    std::vector<SortKey> keys = keysOf(tableRows, sort.column);
    sortKeys(keys, sort.direction);
    std::ranges::transform(keys, tableRows.begin(), &SortKey::row);
    return tableRows;
}

}  // namespace catalog::window
