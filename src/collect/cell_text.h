// A value as a spreadsheet's cell holds it: as XML text in a workbook, as a field of a CSV file.
// Both read the bytes alike (see legibleText).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace catalog {

// The most UTF-16 code units a workbook's cell holds.
inline constexpr std::size_t kMostCellUnits = 32767;

// Appends `bytes` to `out` as the XML text of a workbook's cell: legible UTF-8, escaped, a CR as
// a character reference (a parser would make it a LF), a literal `_xHHHH_` with its underscore
// escaped (the spreadsheet would read a character in it), a character XML 1.0 cannot hold as
// U+FFFD. Cut at kMostCellUnits, never inside a pair; returns whether it was cut.
bool appendCellXml(std::string& out, std::string_view bytes);

// The characters `bytes` shows as, legible, counting to `most` at most: a column's width.
std::size_t shownLength(std::string_view bytes, std::size_t most);

// How a value stands as a field of a CSV file: legible UTF-8, in double quotes when it holds a
// comma, a double quote, CR or LF, its quotes doubled; and, when it begins as a formula does (=,
// +, -, @, a tab or CR) and is no plain number, after a `'`, so that a spreadsheet shows it and
// runs nothing.
struct CsvField {
    bool quoted = false;
    bool doubledQuotes = false;  // quoted, and holding quotes
    bool guarded = false;
};
CsvField csvFieldOf(std::string_view value);

// Appends a part of a value to `out` as its CSV field has it (after the opening quote and the
// guard), the part ending where a character ends (see partEnd).
void appendCsvPart(std::string& out, std::string_view part, const CsvField& field);

// Where a part of `bytes` that takes at most `most` bytes from `start` ends: never inside a UTF-8
// sequence, so that a character is never cut in two; at least one character, even past `most`.
std::size_t partEnd(std::string_view bytes, std::size_t start, std::size_t most);

}  // namespace catalog
