// The forms a listing is written in, chosen by the name the user gives it, and what each form's
// values have in common.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "collect/listing.h"

namespace catalog {

// The tab-separated text files, scripts and peers read; comma-separated values; a workbook.
enum class ListingFormat { Text, Csv, Workbook };

// The form a name asks for by its ending, in any case: ".csv", ".xlsx", else the text.
ListingFormat formatOfName(std::string_view name);

// The form a word names ("txt", "csv", "xlsx"), as the batch command takes it, or nothing.
std::optional<ListingFormat> formatNamed(std::string_view word);

// What the run's summary says of the form after the listing's name: ", a workbook"; nothing
// for the text, which is what a listing always was.
std::string_view formatWords(ListingFormat format);

// Whether `text` is a plain decimal number, [+-]digits[.digits]: the only values a spreadsheet
// is let to read as numbers. Anything else that looks like a formula is kept from running.
bool isPlainNumber(std::string_view text);

// The decimals a price shows when the workbook holds it as a number, or nothing when it holds
// it as text: a plain number of at most 15 significant digits, the most a spreadsheet's number
// keeps exactly, and of at most kMostDecimals decimals, the most a number format shows.
std::optional<std::size_t> numberDecimals(std::string_view text);
inline constexpr std::size_t kMostDecimals = 30;

// Whether `start`, the first bytes of a file (512 will do), is a listing this program wrote, in
// any of its forms: such a file is replaced without asking, whatever its name.
bool startsLikeListing(std::string_view start);

// Whether `start` is that of a text or CSV listing with a row after its header line. A workbook's
// rows lie past any start, so it never says so.
bool startHoldsRows(std::string_view start);

// Whether `start` is that of a workbook this program wrote, which startsLikeListing takes too.
bool startsLikeWorkbook(std::string_view start);

// The most bytes of a file startsLikeListing looks at.
inline constexpr std::size_t kListingStartBytes = 512;

// The UTF-8 byte order mark that tells a spreadsheet the CSV's encoding, and the CSV's header.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
inline constexpr auto kCsvHeaderBytes = headerLineOf(",");
inline constexpr std::string_view kCsvHeaderLine = {kCsvHeaderBytes.begin(), kCsvHeaderBytes.end()};
// The first entry of a workbook, and the words in it that name this program.
inline constexpr std::string_view kWorkbookFirstEntry = "docProps/app.xml";
inline constexpr std::string_view kWorkbookApplication = "Catalog Collector";
// The first row after the header in a workbook's sheet, as its stored entry holds it: a value's
// `<` is written escaped, so no value holds this text.
inline constexpr std::string_view kWorkbookSecondRow = "<row r=\"2\">";

}  // namespace catalog
