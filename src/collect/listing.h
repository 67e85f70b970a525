#pragma once

#include <cstddef>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace catalog {

// The listing's first line; blanks between the words, unlike the tabs of the data lines.
inline constexpr std::string_view kHeaderLine = "id   price   thumbnail   name\r\n";
inline constexpr std::string_view kLineEnd = "\r\n";

// The output listing: the header line, then one line per record, each the four values joined
// by tabs and ended by CR LF, written as extracted with no quoting. The lines stay in the
// blocks the workers wrote them into, in the order of the names; the listing is written from
// them as they lie, so a large listing is never copied into one piece.
class Listing {
public:
    Listing();
    // The lines are views into the listing's own blocks: a copy would view the original's.
    // Moving keeps them valid, as the blocks themselves stay where they are.
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
    Listing(Listing&&) = default;
    Listing& operator=(Listing&&) = default;

    // Keeps `block` as long as the listing, and gives a view of it to take lines from.
    std::string_view hold(std::string block);
    // Adds a line, a row followed by kLineEnd, lying in a held block.
    void addLine(std::string_view line) { m_lines.push_back(line); }
    void reserveLines(std::size_t count) { m_lines.reserve(m_lines.size() + count); }

    std::size_t rowCount() const { return m_lines.size() - 1; }
    // A row as the window shows it: a line without its line end.
    std::string_view row(std::size_t index) const;
    // Every line, the header first, as they are written.
    std::span<const std::string_view> lines() const { return m_lines; }

private:
    std::deque<std::string> m_blocks;  // a deque: its elements never move
    std::vector<std::string_view> m_lines;
};

}  // namespace catalog
