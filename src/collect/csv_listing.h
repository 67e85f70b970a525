#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "collect/cell_text.h"
#include "collect/handed_piece.h"
#include "collect/listing.h"

namespace catalog {

// The listing as comma-separated values (RFC 4180) a spreadsheet opens in any locale that
// separates by commas: UTF-8 after its byte order mark, a header of the fields' names, each row
// ended by CR LF (see CsvField for the values). Made as it is written, a megabyte at a time, a
// long value in parts: the listing must keep its rows' fields (RowDetails::Fields or All) until
// the last piece is taken.
class CsvListing {
public:
    explicit CsvListing(const Listing& listing) : m_listing(listing) {}

    // The next piece, valid until asked again; none once all was given.
    std::span<const std::string_view> next();

private:
    void appendPart();

    const Listing& m_listing;
    bool m_begun = false;
    std::size_t m_row = 0;
    std::size_t m_column = 0;
    std::size_t m_offset = 0;  // into the field's value, once its start is written
    bool m_inField = false;
    CsvField m_field;
    std::string m_buffer;
    HandedPiece m_piece;
};

}  // namespace catalog
