#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "collect/page_finding.h"
#include "window/row_table.h"

namespace catalog::window {

// Lines [first, last) of the list: a selection is copied by its ranges, so that copying every
// line of millions never makes an index per line.
struct LineRange {
    std::size_t first = 0;
    std::size_t last = 0;
};

// The pages of a run that gave no row or lack a field, as the status's "Show pages" lists them:
// one line for a page without a record and one for each record that lacks a field, the lines
// the batch command's --explain prints. A page may hold millions of such records, so a line is
// made only when it is asked for.
class TroublePages {
public:
    TroublePages() = default;
    // `notes` in the listing's order; `dataFolder` (the system's own form) holds their pages.
    TroublePages(std::shared_ptr<const std::vector<PageNote>> notes, std::string dataFolder);

    std::size_t lineCount() const { return m_lineEnds.empty() ? 0 : m_lineEnds.back(); }
    // The line as the list shows it: as --explain prints it, UTF-8 and on one line whatever
    // bytes the file's name holds.
    std::string line(std::size_t index) const;
    // The page the line tells of, the system's own form, for showing it in the file manager.
    std::string pagePath(std::size_t index) const;

    // The lines in `ranges`, in order, as the list shows them, each ended by CR LF: a name's own
    // line break would split its line in two. Refused as the table's copy is: beyond
    // kMostCopyBytes, or without the memory for it.
    std::variant<std::string, CopyRefusal> copyText(std::span<const LineRange> ranges) const;

private:
    struct Place {
        const PageNote* note;
        std::size_t line;  // of the page's lines
    };
    Place place(std::size_t index) const;

    std::shared_ptr<const std::vector<PageNote>> m_notes;
    std::vector<std::size_t> m_lineEnds;  // for each note, the lines up to its last: prefix sums
    std::string m_dataFolder;
};

// What the list's Copy did, for the line under the list: the lines copied, or why they were not.
struct LinesCopy {
    std::string message;
    bool copied = false;
};
// Copies the lines of `ranges`, every line when there are none, through `toClipboard` (false
// when the clipboard took nothing), in order; running out of memory is told, never thrown.
LinesCopy copyLines(const TroublePages& pages, std::vector<LineRange> ranges,
                    const std::function<bool(const std::string&)>& toClipboard);

}  // namespace catalog::window
