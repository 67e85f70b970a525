#include "collect/listing.h"

namespace catalog {

Listing::Listing() {
    m_text.append(kListingHeader);
    m_text.append(kLineEnd);
}

void Listing::add(const ProductRecord& record) {
    const std::size_t offset = m_text.size();
    m_text.append(record.reference).append(1, '\t');
    m_text.append(record.price).append(1, '\t');
    m_text.append(record.thumbnail).append(1, '\t');
    m_text.append(record.name);
    m_rows.push_back({offset, m_text.size() - offset});
    m_text.append(kLineEnd);
}

std::string_view Listing::row(std::size_t index) const {
    const Span span = m_rows.at(index);
    return std::string_view(m_text).substr(span.offset, span.length);
}

}  // namespace catalog
