#include "collect/listing_format.h"

#include <algorithm>

#include "collect/ascii_text.h"
#include "collect/listing.h"
#include "platform/paths.h"

namespace catalog {

namespace {

std::size_t leadingDigits(std::string_view text) {
    return static_cast<std::size_t>(std::find_if_not(text.begin(), text.end(), isDigit) -
                                    text.begin());
}

std::uint16_t littleEndian16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

}  // namespace

// A zip whose first entry is the workbook's, stored, and that names this program early on.
bool startsLikeWorkbook(std::string_view start) {
    constexpr std::size_t kNameAt = 30;  // past the local header's fixed fields
    if (start.size() < kNameAt + kWorkbookFirstEntry.size() || !start.starts_with("PK\x03\x04") ||
        littleEndian16(start, 8) != 0 || littleEndian16(start, 26) != kWorkbookFirstEntry.size()) {
        return false;
    }
    return start.substr(kNameAt).starts_with(kWorkbookFirstEntry) &&
           start.find(kWorkbookApplication) != std::string_view::npos;
}

namespace {

// The text listing's header line, its line end as any editor may have left it.
bool startsWithHeaderLine(std::string_view start) {
    const std::string_view header = kHeaderLine.substr(0, kHeaderLine.size() - kLineEnd.size());
    std::string_view line = start.substr(0, start.find('\n'));
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line == header;
}

bool startsWithCsvHeader(std::string_view start) {
    return start.starts_with(kUtf8Mark) &&
           start.substr(kUtf8Mark.size()).starts_with(kCsvHeaderLine);
}

// What follows the header's line end, of a text or CSV listing.
std::string_view afterHeaderLine(std::string_view start) {
    const std::size_t end = start.find('\n');
    return end == std::string_view::npos ? std::string_view() : start.substr(end + 1);
}

}  // namespace

ListingFormat formatOfName(std::string_view name) {
    // Windows drops a name's trailing dots and blanks: "list.xlsx." is list.xlsx there, which a
    // spreadsheet must be able to open.
    while (kWindowsNameRules && (name.ends_with('.') || name.ends_with(' '))) {
        name.remove_suffix(1);
    }
    return endsWithNoCase(name, ".csv")    ? ListingFormat::Csv
           : endsWithNoCase(name, ".xlsx") ? ListingFormat::Workbook
                                           : ListingFormat::Text;
}

std::optional<ListingFormat> formatNamed(std::string_view word) {
    return word == "txt"    ? std::optional(ListingFormat::Text)
           : word == "csv"  ? std::optional(ListingFormat::Csv)
           : word == "xlsx" ? std::optional(ListingFormat::Workbook)
                            : std::nullopt;
}

std::string_view formatWords(ListingFormat format) {
    return format == ListingFormat::Csv        ? ", a CSV file,"
           : format == ListingFormat::Workbook ? ", a workbook,"
                                               : "";
}

bool isPlainNumber(std::string_view text) {
    text.remove_prefix(text.starts_with('+') || text.starts_with('-') ? 1 : 0);
    const std::size_t whole = leadingDigits(text);
    if (whole == 0) {
        return false;
    }
    text.remove_prefix(whole);
    return text.empty() || (text.front() == '.' && text.size() > 1 &&
                            leadingDigits(text.substr(1)) == text.size() - 1);
}

std::optional<std::size_t> numberDecimals(std::string_view text) {
    constexpr std::size_t kMostSignificantDigits = 15;
    if (!isPlainNumber(text)) {
        return std::nullopt;
    }
    const std::size_t point = text.find('.');
    const std::size_t decimals = point == std::string_view::npos ? 0 : text.size() - point - 1;
    // Leading zeros, before the point or after it, only place the digits that count.
    const std::size_t first = text.find_first_of("123456789");
    const std::size_t significant =
        first == std::string_view::npos
            ? 1  // a zero
            : text.size() - first - (point != std::string_view::npos && point > first);
    if (significant > kMostSignificantDigits || decimals > kMostDecimals) {
        return std::nullopt;
    }
    return decimals;
}

bool startsLikeListing(std::string_view start) {
    start = start.substr(0, kListingStartBytes);
    return startsWithCsvHeader(start) || startsWithHeaderLine(start) || startsLikeWorkbook(start);
}

bool startHoldsRows(std::string_view start) {
    return (startsWithCsvHeader(start) || startsWithHeaderLine(start)) &&
           !afterHeaderLine(start).empty();
}

}  // namespace catalog
