#include "window/row_table.h"

#include <algorithm>
#include <new>

#include "collect/collection_run.h"
#include "platform/memory_reserve.h"
#include "window/display_text.h"

namespace catalog::window {

namespace {

std::string_view valueAt(const Listing& listing, std::size_t row, std::size_t column) {
    return column == kFileColumn ? listing.file(row) : listing.field(row, column);
}

// Why a cell reads as it does, when its page is worth telling of: the marker a field lacked, or
// that the page holds several records.
std::string reasonFor(const PageNote* note, std::size_t column) {
    if (note == nullptr) {
        return {};
    }
    const PageFinding& finding = note->finding;
    if (column == kFileColumn) {
        return finding.severalRecords() ? severalRecordsReason(finding.records) : std::string();
    }
    return missReason(column, finding.misses[column]);
}

// A page with several records gives values that run from the first record to the last, which
// looks like a fault unless the row says so where the user looks for the page: first, so that
// a narrow column never cuts it off.
void markSeveralRecords(Cell& file, const PageNote& note) {
    if (note.finding.severalRecords()) {
        // Put together piece by piece: GCC 12 at -O3 takes "(" + std::string for an overlapping
        // copy.
        std::string mark = "(";
        mark.append(counted(note.finding.records, "record")).append(") ");
        file.text.insert(0, mark);
    }
}

}  // namespace

RunRows::RunRows(Listing made, std::vector<PageNote> pageNotes) : listing(std::move(made)) {
    std::erase_if(pageNotes, [](const PageNote& note) { return note.row == PageNote::kNoRow; });
    notes = std::move(pageNotes);
    cells.reserve(listing.rowCount());
    for (std::size_t row = 0; row < listing.rowCount(); ++row) {
        std::array<Cell, kColumnCount>& rowCells = cells.emplace_back();
        for (std::size_t column = 0; column < kColumnCount; ++column) {
            rowCells[column] = cellFor(valueAt(listing, row, column));
        }
        // A file may be named "String Matching Failed" too; only the fields count.
        rowCells[kFileColumn].notFound = false;
    }
    for (const PageNote& note : notes) {
        markSeveralRecords(cells.at(note.row)[kFileColumn], note);
    }
}

const PageNote* RunRows::noteOf(std::size_t row) const {
    const auto at =
        std::lower_bound(notes.begin(), notes.end(), row,
                         [](const PageNote& note, std::size_t r) { return note.row < r; });
    return at != notes.end() && at->row == row ? &*at : nullptr;
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
    std::string tooltip = tooltipFor(valueAt(at.run->listing, at.row, column));
    const std::string reason = reasonFor(at.run->noteOf(at.row), column);
    if (!reason.empty()) {
        // Appended piece by piece: `"\n" + std::string` makes GCC 12 at -O3 warn of an
        // overlapping copy that cannot happen.
        tooltip.append(1, '\n').append(capitalized(reason));
    }
    return tooltip;
}

std::string_view RowTable::value(std::size_t row, std::size_t column) const {
    const Place at = place(row);
    return valueAt(at.run->listing, at.row, column);
}

std::variant<std::string, CopyRefusal> RowTable::copyText(std::span<const std::size_t> rows,
                                                          std::string_view first) const {
    std::size_t size = first.size();
    for (const std::size_t row : rows) {
        const Place at = place(row);
        size += at.run->listing.row(at.row).size() + kLineEnd.size();
    }
    if (size > kMostCopyBytes) {
        return CopyRefusal::TooLarge;
    }
    if (!memoryFor(size * kCopyMemoryPerByte)) {
        return CopyRefusal::NoMemory;
    }
    try {
        std::string bytes;
        bytes.reserve(size);
        bytes.append(first);
        for (const std::size_t row : rows) {
            const Place at = place(row);
            bytes.append(at.run->listing.row(at.row)).append(kLineEnd);
        }
        return displayText(bytes);
    } catch (const std::bad_alloc&) {
        return CopyRefusal::NoMemory;
    }
}

std::size_t RowTable::append(RunRows rows) {
    const std::size_t first = m_rowCount;
    const std::size_t added = rows.cells.size();
    if (added == 0) {
        return first;  // a run that found nothing keeps no listing
    }
    m_firstRows.push_back(first);
    try {
        m_runs.push_back(std::move(rows));
    } catch (...) {
        m_firstRows.pop_back();
        throw;
    }
    m_rowCount += added;
    return first;
}

void RowTable::dropLastRun() noexcept {
    if (!m_runs.empty()) {
        m_rowCount -= m_runs.back().cells.size();
        m_runs.pop_back();
        m_firstRows.pop_back();
    }
}

// Nothing here allocates: a table can always be emptied. The memory of every run goes.
void RowTable::clear() noexcept {
    m_runs.clear();
    std::vector<std::size_t>().swap(m_firstRows);
    m_rowCount = 0;
}

}  // namespace catalog::window
