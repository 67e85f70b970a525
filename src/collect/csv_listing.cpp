#include "collect/csv_listing.h"

#include "collect/cell_text.h"
#include "collect/listing_format.h"

namespace catalog {

namespace {

constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

}  // namespace

std::span<const std::string_view> CsvListing::next() {
    m_buffer.clear();
    if (!m_begun) {
        m_buffer.append(kUtf8Mark).append(kCsvHeaderLine);
        m_begun = true;
    }
    for (; m_next < m_listing.rowCount() && m_buffer.size() < kPieceBytes; ++m_next) {
        for (std::size_t column = 0; column < kFieldCount; ++column) {
            if (column > 0) {
                m_buffer.push_back(',');
            }
            appendCsvField(m_buffer, m_listing.field(m_next, column));
        }
        m_buffer.append(kLineEnd);
    }
    if (m_buffer.empty()) {
        return {};
    }
    m_piece = m_buffer;
    return {&m_piece, 1};
}

}  // namespace catalog
