#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "window/row_order.h"
#include "window/row_table.h"

namespace catalog::window {

// The line "Copy with header" puts first: the column titles joined by tabs, as the rows' fields
// are, so that a spreadsheet gets one title over each column (the listing file's own header is
// blank-separated, for reading).
std::string copyHeaderLine();

// The rows the table shows: those collected and not removed, in the order of collection or
// sorted by a column. A view's row is a place in this order, from the top.
class ShownRows {
public:
    std::size_t rowCount() const { return m_order.size(); }
    Cell cell(std::size_t row, std::size_t column) const;
    bool notFound(std::size_t row, std::size_t column) const;
    std::string tooltip(std::size_t row, std::size_t column) const;
    std::string notFoundDescription(std::size_t row, std::size_t column) const;
    std::string_view value(std::size_t row, std::size_t column) const;
    // How many runs still have a row here: the status says when the rows are of several.
    std::size_t runCount() const;

    // The rows given, in the order given, as RowTable::copyText makes them; with
    // copyHeaderLine() before them when `withHeader`.
    std::variant<std::string, CopyRefusal> copyText(std::span<const std::size_t> rows,
                                                    bool withHeader) const;

    // Should memory run short in any of these, std::bad_alloc leaves the rows and their order
    // as they were: a window that tells so keeps every row.

    // Adds a run's rows: below the others, or where the sort puts them. Returns the place each
    // of them went to, in the order they were collected.
    std::vector<std::size_t> append(RunRows rows);
    // Takes the rows at these places out of the table (in any order; repeats and places past
    // the end are let be). The others keep their order. No file is touched.
    void remove(std::vector<std::size_t> rows) noexcept;
    void clear() noexcept;

    SortState sort() const { return m_sort; }
    // A click on the header of `column`: see sortAfterClick.
    SortState sortByColumn(std::size_t column);

private:
    std::vector<SortKey> keysOf(std::span<const std::size_t> tableRows, std::size_t column) const;
    std::vector<std::size_t> inOrder(std::vector<std::size_t> tableRows, SortState sort) const;

    RowTable m_table;
    std::vector<std::size_t> m_order;       // the table's rows as shown
    std::vector<std::size_t> m_shownOfRun;  // for each of the table's runs, its rows still shown
    SortState m_sort;
};

}  // namespace catalog::window
