#include "window/row_table.h"

#include <algorithm>

#include "window/display_text.h"

namespace catalog::window {

namespace {

std::string_view valueAt(const Listing& listing, std::size_t row, std::size_t column) {
    return column == kFileColumn ? listing.file(row) : listing.field(row, column);
}

}  // namespace

RunRows::RunRows(Listing made) : listing(std::move(made)) {
    cells.reserve(listing.rowCount());
    for (std::size_t row = 0; row < listing.rowCount(); ++row) {
        std::array<Cell, kColumnCount>& rowCells = cells.emplace_back();
        bool fieldNotFound = false;
        for (std::size_t column = 0; column < kColumnCount; ++column) {
            rowCells[column] = cellFor(valueAt(listing, row, column));
            fieldNotFound = fieldNotFound || rowCells[column].notFound;
        }
        // A file may be named "String Matching Failed" too; only the fields count.
        rowCells[kFileColumn].notFound = false;
        recordsWithFieldNotFound += fieldNotFound ? 1 : 0;
    }
}

RowTable::Place RowTable::place(std::size_t row) const {
    // The last run that starts at or before the row holds it.
    const auto after = std::upper_bound(m_firstRows.begin(), m_firstRows.end(), row);
    const auto run = static_cast<std::size_t>(after - m_firstRows.begin()) - 1;
    return {&m_runs[run], row - m_firstRows[run]};
}

const Cell& RowTable::cell(std::size_t row, std::size_t column) const {
    const Place at = place(row);
    return at.run->cells[at.row][column];
}

std::string RowTable::tooltip(std::size_t row, std::size_t column) const {
    const Place at = place(row);
    return tooltipFor(valueAt(at.run->listing, at.row, column));
}

std::string_view RowTable::value(std::size_t row, std::size_t column) const {
    const Place at = place(row);
    return valueAt(at.run->listing, at.row, column);
}

std::optional<std::string> RowTable::copyText(std::span<const std::size_t> rows) const {
    std::size_t size = 0;
    for (const std::size_t row : rows) {
        const Place at = place(row);
        size += at.run->listing.row(at.row).size() + kLineEnd.size();
    }
    if (size > kMostCopyBytes) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(size);
    for (const std::size_t row : rows) {
        const Place at = place(row);
        bytes.append(at.run->listing.row(at.row)).append(kLineEnd);
    }
    return displayText(bytes);
}

std::size_t RowTable::append(RunRows rows) {
    const std::size_t first = m_rowCount;
    const std::size_t added = rows.cells.size();
    if (added == 0) {
        return first;  // a run that found nothing keeps no listing
    }
    m_runs.push_back(std::move(rows));
    m_firstRows.push_back(first);
    m_rowCount += added;
    return first;
}

}  // namespace catalog::window
