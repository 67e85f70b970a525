#include "window/trouble_pages.h"

#include <algorithm>
#include <numeric>

#include "collect/failure_text.h"
#include "collect/listing.h"
#include "window/keeping_rows.h"
#include "window/row_cells.h"
#include "window/window_texts.h"

namespace catalog::window {

TroublePages::TroublePages(std::shared_ptr<const std::vector<PageNote>> notes,
                           std::string dataFolder)
    : m_notes(std::move(notes)), m_dataFolder(std::move(dataFolder)) {
    if (m_notes == nullptr) {
        return;
    }
    m_lineEnds.reserve(m_notes->size());
    std::size_t lines = 0;
    for (const PageNote& note : *m_notes) {
        lines += explanationLineCount(note);
        m_lineEnds.push_back(lines);
    }
}

TroublePages::Place TroublePages::place(std::size_t index) const {
    // The first note whose lines end after the line; a page of several records lacking nothing
    // has no line and is passed over.
    const auto end = std::upper_bound(m_lineEnds.begin(), m_lineEnds.end(), index);
    const auto note = static_cast<std::size_t>(end - m_lineEnds.begin());
    const std::size_t first = note == 0 ? 0 : m_lineEnds[note - 1];
    return {&m_notes->at(note), index - first};
}

std::string TroublePages::line(std::size_t index) const {
    const Place at = place(index);
    std::string text = explanationLine(*at.note, at.line);
    // Most names are printable ASCII, which shows as it stands: a copy of millions of lines
    // decodes only the others.
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f; })) {
        return text;
    }
    // As --explain prints it: a control or a character that reorders the text after it (a
    // right-to-left override turns "x.exe" around) is spelled out. What is left is decoded, on
    // one line.
    return oneLine(printable(text));
}

std::string TroublePages::pagePath(std::size_t index) const {
    return m_dataFolder + place(index).note->file;
}

std::variant<std::string, CopyRefusal> TroublePages::copyText(
    std::span<const LineRange> ranges) const {
    const auto eachLine = [&](auto take) {
        for (const LineRange& range : ranges) {
            for (std::size_t index = range.first; index < std::min(range.last, lineCount());
                 ++index) {
                if (!take(line(index))) {
                    return;
                }
            }
        }
    };
    // Measured first, and no further than the limit: millions of lines are refused at once.
    std::size_t size = 0;
    eachLine([&](const std::string& text) {
        size += text.size() + kLineEnd.size();
        return size <= kMostCopyBytes;
    });
    return boundedCopy(size, [&](std::string& bytes) {
        eachLine([&](const std::string& text) {
            bytes.append(text).append(kLineEnd);
            return true;
        });
    });
}

LinesCopy copyLines(const TroublePages& pages, std::vector<LineRange> ranges,
                    const std::function<bool(const std::string&)>& toClipboard) {
    if (ranges.empty()) {
        ranges.push_back({0, pages.lineCount()});
    }
    std::ranges::sort(ranges, {}, &LineRange::first);
    const std::size_t lines =
        std::transform_reduce(ranges.begin(), ranges.end(), std::size_t{0}, std::plus<>(),
                              [](const LineRange& range) { return range.last - range.first; });
    LinesCopy done;
    const auto copy = [&] {
        const std::variant<std::string, CopyRefusal> text = pages.copyText(ranges);
        if (const auto* refusal = std::get_if<CopyRefusal>(&text)) {
            done.message = linesCopyRefusedText(*refusal, lines);
        } else if (toClipboard(std::get<std::string>(text))) {
            done = {linesCopiedAnnouncement(lines), true};
        }
    };
    keepingRows("copy", lines, copy, [&](const StatusText&) {
        done = {linesCopyRefusedText(CopyRefusal::NoMemory, lines), false};
    });
    return done;
}

}  // namespace catalog::window
