#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "collect/listing.h"
#include "collect/page_finding.h"
#include "window/row_cells.h"

namespace catalog::window {

inline constexpr std::size_t kMostCopyBytes = std::size_t{64} << 20;
// The memory a copy may take for each byte of its rows, all at once: the listing lines, their
// display text, the view's UTF-16 text and the clipboard's own copy of that. A toolkit does not
// recover from an allocation of its own that fails, so that much must be there before it starts.
inline constexpr std::size_t kCopyMemoryPerByte = 6;

// Why rows were not copied: more than kMostCopyBytes, or more than the memory left.
enum class CopyRefusal { TooLarge, NoMemory };

// The text that `fill` appends, measured as `size` bytes beforehand, or why it is refused.
std::variant<std::string, CopyRefusal> boundedCopy(std::size_t size,
                                                   const std::function<void(std::string&)>& fill);

// One run's rows: the listing with every byte, for copying, tooltips and cells. A cell is made
// when it is painted, from the start of its value only: a run's rows are shown as soon as it
// ends, and take no more memory than their listing.
struct RunRows {
    Listing listing;
    // Every page worth telling of, in the listing's order, those without a row too: shared with
    // the list of such pages, as a page may hold millions of records that lack a field.
    std::shared_ptr<const std::vector<PageNote>> notes;

    explicit RunRows(Listing made, std::shared_ptr<const std::vector<PageNote>> pageNotes = {});
    std::size_t rowCount() const { return listing.rowCount(); }
    // The note of the row's page, if it is worth telling of.
    const PageNote* noteOf(std::size_t row) const;
    // The note of the row's record, if it lacks a field.
    const RecordNote* recordOf(std::size_t row) const;

private:
    std::vector<const PageNote*> m_notesWithRows;  // in row order, for looking a row's note up
};

// Every row collected since the table was made, in the order runs added them. It only grows:
// ShownRows removes rows from its view of it, and replaces it once that is empty.
class RowTable {
public:
    std::size_t rowCount() const { return m_rowCount; }
    Cell cell(std::size_t row, std::size_t column) const;
    bool notFound(std::size_t row, std::size_t column) const;
    std::string tooltip(std::size_t row, std::size_t column) const;
    // What a screen reader adds to a field that reads "String Matching Failed", which the window
    // dims: that the field was not found, and why. Empty for any other cell.
    std::string notFoundDescription(std::size_t row, std::size_t column) const;
    // The whole value in a cell, as the file holds it: for sorting by it.
    std::string_view value(std::size_t row, std::size_t column) const;
    // Which of the runs appended holds the row, counting from 0.
    std::size_t runOf(std::size_t row) const;

    // The rows as listing lines (four fields joined by tabs, each line ended by CR LF), in the
    // order given, after `first`, as text for the clipboard: a spreadsheet takes them as rows
    // and columns. Refused when they are larger than kMostCopyBytes, which would stall the
    // window, or when the memory for the whole copy (kCopyMemoryPerByte) is not there.
    std::variant<std::string, CopyRefusal> copyText(std::span<const std::size_t> rows,
                                                    std::string_view first = {}) const;

    // Adds a run's rows below the others; returns the index of the first of them. Should memory
    // run short, the table stays as it was.
    std::size_t append(RunRows rows);
    // Takes the last run's rows back out, for an append that could not be finished.
    void dropLastRun() noexcept;
    void clear() noexcept;

private:
    struct Place {
        const RunRows* run;
        std::size_t row;
    };
    Place place(std::size_t row) const;

    std::deque<RunRows> m_runs;            // a deque: a run's listing never moves
    std::vector<std::size_t> m_firstRows;  // the table row of each run's first row
    std::size_t m_rowCount = 0;
};

}  // namespace catalog::window
