#include "window/row_table.h"

#include <algorithm>
#include <new>

#include "collect/collection_run.h"
#include "collect/field_extraction.h"
#include "platform/memory_reserve.h"
#include "window/display_text.h"

namespace catalog::window {

namespace {

std::string_view valueAt(const Listing& listing, std::size_t row, std::size_t column) {
    return column == kFileColumn ? listing.file(row) : listing.field(row, column);
}

// What the file column shows: the page, and which of its records the row is when it holds more.
std::string fileText(const Listing& listing, std::size_t row) {
    const Listing::RecordPlace place = listing.recordOf(row);
    return recordName(listing.file(row), place.record, place.records);
}

// Why a field reads "String Matching Failed": the marker its record lacked, or what its page
// holds in its place.
std::string reasonFor(const RunRows& run, std::size_t row, std::size_t column) {
    if (column == kFileColumn) {
        const PageNote* note = run.noteOf(row);
        return note == nullptr ? std::string() : readingDescription(note->reading);
    }
    const RecordNote* record = run.recordOf(row);
    if (record == nullptr) {
        return {};
    }
    return missReason(*record, column, run.noteOf(row)->nearForms);
}

}  // namespace

RunRows::RunRows(Listing made, std::shared_ptr<const std::vector<PageNote>> pageNotes)
    : listing(std::move(made)), notes(std::move(pageNotes)) {
    if (notes != nullptr) {
        for (const PageNote& note : *notes) {
            if (note.firstRow != PageNote::kNoRow) {
                m_notesWithRows.push_back(&note);
            }
        }
    }
}

const PageNote* RunRows::noteOf(std::size_t row) const {
    // The last page noted that starts at or before the row, if the row is one of its records.
    const auto after =
        std::upper_bound(m_notesWithRows.begin(), m_notesWithRows.end(), row,
                         [](std::size_t r, const PageNote* note) { return r < note->firstRow; });
    if (after == m_notesWithRows.begin() ||
        row - (*std::prev(after))->firstRow >= (*std::prev(after))->records) {
        return nullptr;
    }
    return *std::prev(after);
}

const RecordNote* RunRows::recordOf(std::size_t row) const {
    const PageNote* note = noteOf(row);
    if (note == nullptr) {
        return nullptr;
    }
    const PageNote& page = *note;
    const std::uint64_t record = row - page.firstRow;
    const auto at =
        std::lower_bound(page.missing.begin(), page.missing.end(), record,
                         [](const RecordNote& note, std::uint64_t r) { return note.record < r; });
    return at != page.missing.end() && at->record == record ? &*at : nullptr;
}

// The last run that starts at or before the row holds it.
std::size_t RowTable::runOf(std::size_t row) const {
    const auto after = std::upper_bound(m_firstRows.begin(), m_firstRows.end(), row);
    return static_cast<std::size_t>(after - m_firstRows.begin()) - 1;
}

RowTable::Place RowTable::place(std::size_t row) const {
    const std::size_t run = runOf(row);
    return {&m_runs[run], row - m_firstRows[run]};
}

Cell RowTable::cell(std::size_t row, std::size_t column) const {
    const Place at = place(row);
    if (column != kFileColumn) {
        return cellFor(at.run->listing.field(at.row, column));
    }
    // A file may be named "String Matching Failed" too; only the fields count.
    Cell file = cellFor(fileText(at.run->listing, at.row));
    file.notFound = false;
    return file;
}

bool RowTable::notFound(std::size_t row, std::size_t column) const {
    const Place at = place(row);
    return column != kFileColumn && at.run->listing.field(at.row, column) == kMatchFailed;
}

std::string RowTable::tooltip(std::size_t row, std::size_t column) const {
    const Place at = place(row);
    std::string tooltip = column == kFileColumn
                              ? tooltipFor(fileText(at.run->listing, at.row))
                              : tooltipFor(valueAt(at.run->listing, at.row, column));
    const std::string reason = reasonFor(*at.run, at.row, column);
    if (!reason.empty()) {
        // Appended piece by piece: `"\n" + std::string` makes GCC 12 at -O3 warn of an
        // overlapping copy that cannot happen.
        tooltip.append(1, '\n').append(capitalized(reason));
    }
    return tooltip;
}

std::string RowTable::notFoundDescription(std::size_t row, std::size_t column) const {
    if (!notFound(row, column)) {
        return {};
    }
    const Place at = place(row);
    std::string description = "The field was not found";
    const std::string reason = reasonFor(*at.run, at.row, column);
    if (!reason.empty()) {
        description.append(": ").append(reason);
    }
    return description;
}

std::variant<std::string, CopyRefusal> boundedCopy(std::size_t size,
                                                   const std::function<void(std::string&)>& fill) {
    if (size > kMostCopyBytes) {
        return CopyRefusal::TooLarge;
    }
    if (!memoryFor(size * kCopyMemoryPerByte)) {
        return CopyRefusal::NoMemory;
    }
    try {
        std::string bytes;
        bytes.reserve(size);
        fill(bytes);
        return bytes;
    } catch (const std::bad_alloc&) {
        return CopyRefusal::NoMemory;
    }
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
    return boundedCopy(size, [&](std::string& bytes) {
        bytes.append(first);
        for (const std::size_t row : rows) {
            const Place at = place(row);
            bytes.append(at.run->listing.row(at.row)).append(kLineEnd);
        }
        bytes = displayText(bytes);
    });
}

std::size_t RowTable::append(RunRows rows) {
    const std::size_t first = m_rowCount;
    const std::size_t added = rows.rowCount();
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
        m_rowCount -= m_runs.back().rowCount();
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
