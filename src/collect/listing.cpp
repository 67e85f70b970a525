#include "collect/listing.h"

namespace catalog {

Listing::Listing() : m_text(std::string(kListingHeader).append(kLineEnd)) {}

void Listing::addRow(std::string_view row) {
    m_rows.push_back({m_text.size(), row.size()});
    m_text.append(row).append(kLineEnd);
}

void Listing::reserve(std::size_t bytes, std::size_t rows) {
    m_text.reserve(m_text.size() + bytes);
    m_rows.reserve(m_rows.size() + rows);
}

std::string_view Listing::row(std::size_t index) const {
    const Span span = m_rows.at(index);
    return std::string_view(m_text).substr(span.offset, span.length);
}

}  // namespace catalog
