#include "collect/listing.h"

namespace catalog {

Listing::Listing(bool rowDetails)
    : m_rowDetails(rowDetails), m_lines{kHeaderLine}, m_fileStarts{0} {}

std::string_view Listing::hold(std::string block) {
    return m_blocks.emplace_back(std::move(block));
}

void Listing::addLine(std::string_view line, const FieldLengths& fields, std::string_view file) {
    m_lines.push_back(line);
    m_fields.push_back(fields);
    m_fileNames.append(file);
    m_fileStarts.push_back(m_fileNames.size());
}

void Listing::addLine(std::string_view line) {
    m_lines.push_back(line);
}

void Listing::reserveLines(std::size_t count, std::size_t nameBytes) {
    m_lines.reserve(m_lines.size() + count);
    if (m_rowDetails) {
        m_fileNames.reserve(m_fileNames.size() + nameBytes);
        m_fields.reserve(m_fields.size() + count);
        m_fileStarts.reserve(m_fileStarts.size() + count);
    }
}

std::string_view Listing::row(std::size_t index) const {
    std::string_view line = m_lines.at(index + 1);
    line.remove_suffix(kLineEnd.size());
    return line;
}

std::string_view Listing::field(std::size_t index, std::size_t column) const {
    std::string_view rest = row(index);
    const FieldLengths& lengths = m_fields.at(index);
    for (std::size_t i = 0; i < column; ++i) {
        rest.remove_prefix(lengths[i] + 1);  // the field and the tab after it
    }
    return column < lengths.size() ? rest.substr(0, lengths[column]) : rest;
}

std::string_view Listing::file(std::size_t index) const {
    const std::size_t start = m_fileStarts.at(index);
    return std::string_view(m_fileNames).substr(start, m_fileStarts.at(index + 1) - start);
}

}  // namespace catalog
