#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>

#include "collect/listing.h"

namespace catalog::window {

// The table's header: the listing's own words in its column order, then the file each row came
// from, so that a user who sees "String Matching Failed" knows which page to open.
inline constexpr auto kColumnTitles = std::apply(
    [](auto... names) {
        return std::array{names..., std::string_view("file")};
    },
    kFieldNames);
inline constexpr std::size_t kColumnCount = kColumnTitles.size();
inline constexpr std::size_t kNameColumn = 3;
inline constexpr std::size_t kFileColumn = kColumnCount - 1;

// A value of many megabytes must paint as fast as a short one: a cell shows the start of it.
inline constexpr std::size_t kMostCellCharacters = 200;
inline constexpr std::size_t kMostTooltipBytes = 4096;

// One value as a table cell shows it.
struct Cell {
    std::string text;       // UTF-8 on one line: line breaks and tabs as visible marks, at most
                            // kMostCellCharacters characters, an ellipsis when cut
    bool notFound = false;  // the field reads "String Matching Failed": drawn dimmed
};

Cell cellFor(std::string_view value);

// A value on one line, whole, with the characters that reorder or hide text spelled out as
// \xHH: for a name typed by the user or a folder's path, shown in the status.
std::string oneLine(std::string_view text);

// The value as its tooltip shows it: UTF-8, line breaks kept, at most kMostTooltipBytes of it
// and an ellipsis when cut.
std::string tooltipFor(std::string_view value);

}  // namespace catalog::window
