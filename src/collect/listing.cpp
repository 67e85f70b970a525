#include "collect/listing.h"

namespace catalog {

Listing::Listing() : m_lines{kHeaderLine} {}

std::string_view Listing::hold(std::string block) {
    return m_blocks.emplace_back(std::move(block));
}

std::string_view Listing::row(std::size_t index) const {
    std::string_view line = m_lines.at(index + 1);
    line.remove_suffix(kLineEnd.size());
    return line;
}

}  // namespace catalog
