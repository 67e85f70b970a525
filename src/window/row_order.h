#pragma once

#include <compare>
#include <cstddef>
#include <string_view>
#include <vector>

namespace catalog::window {

enum class SortDirection { None, Ascending, Descending };

// How the table is sorted: by one column, or not at all (the order rows were collected in).
struct SortState {
    std::size_t column = 0;
    SortDirection direction = SortDirection::None;

    bool operator==(const SortState&) const = default;
};

// What a click on `column`'s header makes of `sort`: the first click sorts ascending, the
// second descending, the third returns to the order of collection; another column starts over.
SortState sortAfterClick(SortState sort, std::size_t column);

// Two values as a user reads them, not as bytes: a run of digits is a number ("9" before "10",
// "007" as "7"), and the digits after a number's point are a fraction, so that "9.5" comes after
// "9.10" and prices sort by value; a second point starts a number again, so "1.2.9" comes
// before "1.2.10". Letters of ASCII compare without case; other bytes by value, which is the
// order of the characters in UTF-8. Values are read in place, however long.
std::weak_ordering compareValues(std::string_view a, std::string_view b);

// One row's value in the sorted column.
struct SortKey {
    std::string_view value;
    bool notFound = false;  // "String Matching Failed": no value at all
    std::size_t row = 0;    // its place in the order of collection
};

// Sorts `keys` by value in `direction` (not None). Rows whose values compare equal keep the
// order of collection. A field not found comes last whichever the direction: it has no value
// to sort by, and the rows that have one are those the user sorted to look at.
void sortKeys(std::vector<SortKey>& keys, SortDirection direction);

// Merges `added`, sorted by sortKeys and collected after every row of `shown`, into `shown`,
// sorted the same way: the rows of a new run join the order the table shows.
void mergeKeys(std::vector<SortKey>& shown, std::vector<SortKey> added, SortDirection direction);

}  // namespace catalog::window
