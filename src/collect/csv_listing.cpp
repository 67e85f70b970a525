#include "collect/csv_listing.h"

#include "collect/listing_format.h"

namespace catalog {

std::span<const std::string_view> CsvListing::next() {
    m_buffer.clear();
    if (!m_begun) {
        m_buffer.append(kUtf8Mark).append(kCsvHeaderLine);
        m_begun = true;
    }
    while (m_row < m_listing.rowCount() && m_buffer.size() < kMadePieceBytes) {
        appendPart();
    }
    return m_piece.of(m_buffer);
}

// The start of a field, a part of its value, or its end and what follows it: a value of many
// megabytes is never copied whole.
void CsvListing::appendPart() {
    const std::string_view value = m_listing.field(m_row, m_column);
    if (!m_inField) {
        m_field = csvFieldOf(value);
        m_buffer.append(m_field.quoted ? "\"" : "").append(m_field.guarded ? "'" : "");
        m_offset = 0;
        m_inField = true;
    }
    if (m_offset < value.size()) {
        const std::size_t end = partEnd(value, m_offset, kMadePieceBytes);
        appendCsvPart(m_buffer, value.substr(m_offset, end - m_offset), m_field);
        m_offset = end;
        return;
    }
    m_buffer.append(m_field.quoted ? "\"" : "");
    m_inField = false;
    if (++m_column < kFieldCount) {
        m_buffer.push_back(',');
        return;
    }
    m_buffer.append(kLineEnd);
    m_column = 0;
    ++m_row;
}

}  // namespace catalog
