#include "collect/listing.h"

namespace catalog {

Listing::Listing() : Listing(std::string(kListingHeader).append(kLineEnd)) {}

void Listing::add(const ProductRecord& record) {
    const std::size_t offset = m_text.size();
    m_text.append(record.reference).append(1, '\t');
    m_text.append(record.price).append(1, '\t');
    m_text.append(record.thumbnail).append(1, '\t');
    m_text.append(record.name);
    m_rows.push_back({offset, m_text.size() - offset});
    m_text.append(kLineEnd);
}

void Listing::append(const Listing& part) {
    if (part.m_rows.empty()) {
        return;
    }
    const std::size_t partStart = part.m_rows.front().offset;
    const std::size_t shift = m_text.size() - partStart;
    m_text.append(part.m_text, partStart);
    for (const Span span : part.m_rows) {
        m_rows.push_back({span.offset + shift, span.length});
    }
}

std::string_view Listing::row(std::size_t index) const {
    const Span span = m_rows.at(index);
    return std::string_view(m_text).substr(span.offset, span.length);
}

}  // namespace catalog
