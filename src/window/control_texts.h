#pragma once

#include <string_view>

namespace catalog::window {

// The words on the window's button and in the table's menu, alike in both windows.

inline constexpr std::string_view kCollectText = "Collect";
// During a run the button stops it, as Esc does.
inline constexpr std::string_view kStopText = "Stop";

constexpr std::string_view collectButtonText(bool running) {
    return running ? kStopText : kCollectText;
}

// What the button and the name box are for, shown when the pointer rests on them.
inline constexpr std::string_view kCollectTooltip =
    "Read the pages in the data folder beside the program, add their records to the table and "
    "save the listing under the name in Save to (Esc stops a run)";
inline constexpr std::string_view kOutputNameTooltip =
    "The name the listing is saved under, beside the program (sub/list.txt: in its folder sub), "
    "or the full path it is saved to; a name ending in .xlsx or .csv gives a spreadsheet's file. "
    "Enter starts a run";

// What a screen reader calls the controls that show no words of their own: the table and the
// bar that moves while a run reads the pages.
inline constexpr std::string_view kTableName = "Products found";
inline constexpr std::string_view kProgressName = "Pages read";

inline constexpr std::string_view kCopyItem = "Copy";
inline constexpr std::string_view kCopyWithHeaderItem = "Copy with header";
inline constexpr std::string_view kClearListItem = "Clear list";
// Sorting and a column's width without the header, which a keyboard does not reach: the items
// act as a click on a column's title and a double click on its edge.
inline constexpr std::string_view kSortByItem = "Sort by";
inline constexpr std::string_view kFitColumnItem = "Fit column";
// What a tooltip shows of the current row, in a box a keyboard and a screen reader reach (F2).
inline constexpr std::string_view kDetailsItem = "Details";
inline constexpr std::string_view kDetailsTitle = "Row details";
// Also the link beside a status that finds the data folder empty or missing.
inline constexpr std::string_view kOpenDataFolderItem = "Open data folder";

// The link beside a status that counts pages without a record, with a field not found or read
// through a wrapping, and the list it opens, one line for each such page or record.
inline constexpr std::string_view kShowPagesLink = "Show pages";
inline constexpr std::string_view kPageListTitle =
    "Pages that gave no row, lack a field or were read through a wrapping";
inline constexpr std::string_view kCloseButton = "Close";
// The box below the list that shows the selected line whole, wrapped: a line of the list is
// often wider than the list. Its label, and its name for screen readers.
inline constexpr std::string_view kSelectedLineLabel = "Selected line:";
inline constexpr std::string_view kSelectedLineName = "Selected line";

}  // namespace catalog::window
