#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace catalog {

// The listing's first line; blanks between the words, unlike the tabs of the data lines.
inline constexpr std::string_view kListingHeader = "id   price   thumbnail   name";
inline constexpr std::string_view kLineEnd = "\r\n";

// The output listing as it grows: the header, then one line per record, each the four values
// joined by tabs and ended by CR LF, written as extracted with no quoting. Each row shown in
// the window is a line without its line end, so rows are views into the same text.
class Listing {
public:
    Listing();

    // Adds a row: the four values joined by tabs, as appendRecordRow makes it.
    void addRow(std::string_view row);
    // Makes room for rows of `bytes` in all, line ends included.
    void reserve(std::size_t bytes, std::size_t rows);

    std::size_t rowCount() const { return m_rows.size(); }
    std::string_view row(std::size_t index) const;
    const std::string& text() const { return m_text; }

private:
    struct Span {
        std::size_t offset;
        std::size_t length;
    };

    std::string m_text;
    std::vector<Span> m_rows;
};

}  // namespace catalog
