#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace catalog::window {

// What a view knows of its columns when a run's rows come.
struct ColumnsToFit {
    std::vector<int> titleWidths;   // each column's title, margins included
    std::vector<std::size_t> rows;  // where the new rows are shown, in the order collected
    int valueMargins = 0;           // what a cell adds to the width of its value
    int viewWidth = 0;
};

// The width in pixels of the value in a cell, as the view draws it.
using ValueWidth = std::function<int(std::size_t row, std::size_t column)>;

// Every column as wide as its title and the values of the new rows (the first hundred of them)
// need, and never wider than the view. A value far wider than most, a record that ran into the
// next or a name of megabytes, is left out, so that it does not push the other columns out of
// sight: the view cuts it short with an ellipsis, and its tooltip shows more.
std::vector<int> columnWidths(const ColumnsToFit& columns, const ValueWidth& valueWidth);

// Columns together wider than `room` give way, the widest first: each is narrowed toward
// `share`, an equal share of the view, but never below its `least` (its title; one for each
// column), until together they fit or each is at its share. Only then is the view left to
// scroll: one long name does not push the file column out of sight while narrower columns would
// leave it room.
std::vector<int> sharedWidths(std::vector<int> widths, const std::vector<int>& least, int room,
                              int share);

}  // namespace catalog::window
