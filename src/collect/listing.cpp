#include "collect/listing.h"

#include <stdexcept>

namespace catalog {

Listing::Listing(RowDetails rowDetails) : m_rowDetails(rowDetails), m_lines{kHeaderLine} {}

std::string_view Listing::hold(std::string block) {
    return m_blocks.emplace_back(std::move(block));
}

std::span<const FieldLengths> Listing::holdFields(std::vector<FieldLengths> fields) {
    return m_heldFields.emplace_back(std::move(fields));
}

void Listing::addPage(std::string_view file) {
    m_pages.push_back({m_fileNames.size(), m_rowCount});
    m_fileNames.append(file);
}

void Listing::addLine(std::string_view line, const FieldLengths& fields) {
    m_lines.push_back(line);
    m_fields.push_back(&fields);
    if (m_rowDetails == RowDetails::All) {
        if (m_pages.empty()) {
            throw std::out_of_range("a row before its page");
        }
        m_pageOf.push_back(static_cast<std::uint32_t>(m_pages.size() - 1));
    }
    ++m_rowCount;
}

void Listing::addLines(std::string_view lines, std::size_t rows) {
    // Pages read in the order of their names lie back to back: one piece holds them all.
    std::string_view& last = m_lines.back();
    if (last.data() + last.size() == lines.data()) {
        last = {last.data(), last.size() + lines.size()};
    } else {
        m_lines.push_back(lines);
    }
    m_rowCount += rows;
}

void Listing::reserveLines(std::size_t count, std::size_t pages, std::size_t nameBytes) {
    m_lines.reserve(m_lines.size() + count);  // without details, a page's rows may share one
    if (m_rowDetails != RowDetails::None) {
        m_fields.reserve(m_fields.size() + count);
    }
    if (m_rowDetails == RowDetails::All) {
        m_pageOf.reserve(m_pageOf.size() + count);
        m_pages.reserve(m_pages.size() + pages);
        m_fileNames.reserve(m_fileNames.size() + nameBytes);
    }
}

std::string_view Listing::row(std::size_t index) const {
    std::string_view line = m_lines.at(index + 1);
    if (m_rowDetails == RowDetails::None) {
        throw std::out_of_range("a listing without row details");
    }
    line.remove_suffix(kLineEnd.size());
    return line;
}

std::string_view Listing::field(std::size_t index, std::size_t column) const {
    std::string_view rest = row(index);
    const FieldLengths& lengths = *m_fields.at(index);
    for (std::size_t i = 0; i < column; ++i) {
        rest.remove_prefix(lengths[i] + 1);  // the field and the tab after it
    }
    return column < lengths.size() ? rest.substr(0, lengths[column]) : rest;
}

std::string_view Listing::file(std::size_t index) const {
    const std::size_t page = m_pageOf.at(index);
    const std::size_t start = m_pages[page].nameStart;
    const std::size_t end =
        page + 1 < m_pages.size() ? m_pages[page + 1].nameStart : m_fileNames.size();
    return std::string_view(m_fileNames).substr(start, end - start);
}

Listing::RecordPlace Listing::recordOf(std::size_t index) const {
    const std::size_t page = m_pageOf.at(index);
    const std::size_t end = page + 1 < m_pages.size() ? m_pages[page + 1].firstRow : m_rowCount;
    return {index - m_pages[page].firstRow, end - m_pages[page].firstRow};
}

}  // namespace catalog
