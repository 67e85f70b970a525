#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace catalog {

// The fields' names, in the listing's column order, as every header and the users' explanations
// give them. A new column needs its name here and its rule in kColumnRules, any new marker text
// of which goes in the marker tables of record_scan.cpp and near_forms.cpp.
inline constexpr auto kFieldNames =
    std::to_array<std::string_view>({"id", "price", "thumbnail", "name"});
inline constexpr std::size_t kFieldCount = kFieldNames.size();
inline constexpr std::string_view kLineEnd = "\r\n";

// A header line: the fields' names with `separator` between them, then kLineEnd.
constexpr std::string joinedFieldNames(std::string_view separator) {
    std::string line;
    for (const std::string_view name : kFieldNames) {
        line.append(line.empty() ? "" : separator).append(name);
    }
    return line.append(kLineEnd);
}

// The same as bytes made while compiling, which views may keep; the separator's length sizes it.
template <std::size_t SeparatorSize>
constexpr auto headerLineOf(const char (&separator)[SeparatorSize]) {
    std::array<char, joinedFieldNames(std::string(SeparatorSize - 1, ' ')).size()> line{};
    std::ranges::copy(joinedFieldNames(separator), line.begin());
    return line;
}

// The listing's first line: blanks between the words, unlike the tabs of the data lines.
inline constexpr auto kHeaderBytes = headerLineOf("   ");
inline constexpr std::string_view kHeaderLine = {kHeaderBytes.begin(), kHeaderBytes.end()};

// Where a row's fields end: the lengths of all but the last, which is the rest. Values may hold
// tabs themselves, so the row's tabs cannot tell.
using FieldLengths = std::array<std::size_t, kFieldCount - 1>;

// What a listing keeps of each row besides its text: nothing, for a program that only writes
// the lines as they are; its fields, for one that writes them in another form; or its fields
// and its page too, for a window to show.
enum class RowDetails { None, Fields, All };

// The output listing: the header line, then one line per record, each the four values joined
// by tabs and ended by CR LF, written as extracted with no quoting. The lines stay in the
// blocks the workers wrote them into, in the order of the names; the listing is written from
// them as they lie, so a large listing is never copied into one piece. Each row also knows
// its fields and the page it came from, for a window to show.
class Listing {
public:
    // Without row details, the listing keeps only the text of its lines: rows are then added
    // with addLines, and asking for a row's fields throws std::out_of_range. With fields alone,
    // rows are added with addLine and no page, and asking for a row's page throws.
    explicit Listing(RowDetails rowDetails = RowDetails::All);
    // The lines are views into the listing's own blocks: a copy would view the original's.
    // Moving keeps them valid, as the blocks themselves stay where they are.
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
    Listing(Listing&&) = default;
    Listing& operator=(Listing&&) = default;

    // Keeps `block` as long as the listing, and gives a view of it to take lines from.
    std::string_view hold(std::string block);
    // Keeps `fields` as long as the listing, and gives a view of them for addLine to take.
    std::span<const FieldLengths> holdFields(std::vector<FieldLengths> fields);
    // The rows added next come from the file `file`, one per record, until the next page.
    void addPage(std::string_view file);
    // Adds a line, a row followed by kLineEnd, lying in a held block, with its fields' lengths,
    // lying among held fields: a row keeps only where they lie, as a listing of millions of rows
    // would otherwise hold every row's lengths twice while it is put together.
    void addLine(std::string_view line, const FieldLengths& fields);
    // Adds `rows` whole lines lying back to back, to a listing without row details.
    void addLines(std::string_view lines, std::size_t rows);
    // Room for `count` more lines (or runs of lines, without row details) from `pages` pages
    // whose files' names take `nameBytes`.
    void reserveLines(std::size_t count, std::size_t pages = 0, std::size_t nameBytes = 0);

    std::size_t rowCount() const { return m_rowCount; }
    // A row as the window shows it: a line without its line end.
    std::string_view row(std::size_t index) const;
    // One of the row's four fields, in column order.
    std::string_view field(std::size_t index, std::size_t column) const;
    // The name of the file the row came from.
    std::string_view file(std::size_t index) const;
    // Which of its page's records the row is, from 0, and how many the page gave.
    struct RecordPlace {
        std::uint64_t record = 0;
        std::uint64_t records = 0;
    };
    RecordPlace recordOf(std::size_t index) const;
    // Every line, the header first, as they are written; without row details a piece may hold
    // several lines.
    std::span<const std::string_view> lines() const { return m_lines; }

private:
    struct Page {
        std::size_t nameStart;
        std::size_t firstRow;
    };

    RowDetails m_rowDetails;
    std::size_t m_rowCount = 0;
    std::deque<std::string> m_blocks;  // a deque: its elements never move
    std::deque<std::vector<FieldLengths>> m_heldFields;
    std::vector<std::string_view> m_lines;
    std::vector<const FieldLengths*> m_fields;  // per row, in m_heldFields
    std::vector<std::uint32_t> m_pageOf;        // per row, in m_pages
    std::vector<Page> m_pages;
    std::string m_fileNames;  // back to back
};

}  // namespace catalog
