#include "window/row_table.h"

#include <gtest/gtest.h>

#include "collect/field_extraction.h"
#include "run_rows.h"
#include "support/test_files.h"

namespace catalog::window {
namespace {

using catalog::testing::productRecord;
using testing::runOf;

std::vector<std::string> texts(const RowTable& table, std::size_t row) {
    std::vector<std::string> shown;
    for (std::size_t column = 0; column < kColumnCount; ++column) {
        shown.push_back(table.cell(row, column).text);
    }
    return shown;
}

TEST(RowTable, ShowsEachRunsRowsBelowTheEarlierOnesWithTheirFiles) {
    RowTable table;
    EXPECT_EQ(table.append(runOf({{"a.html", productRecord("A1", "Anchor", "125", "a.jpg")}})), 0u);
    EXPECT_EQ(table.append(runOf({})), 1u);
    EXPECT_EQ(table.append(runOf({{"b.html", productRecord("B2", "Bolt", "7", "b.jpg")},
                                  {"c\xE9.html",
                                   "'REFERENCE' => 'C3', 'NAME' => 'Cap', "
                                   "'PRICE' => 1, "}})),
              1u);
    ASSERT_EQ(table.rowCount(), 3u);
    EXPECT_EQ(texts(table, 0),
              (std::vector<std::string>{"A1", "125", "a.jpg", "Anchor", "a.html"}));
    EXPECT_EQ(texts(table, 1), (std::vector<std::string>{"B2", "7", "b.jpg", "Bolt", "b.html"}));
    EXPECT_EQ(table.cell(2, 4).text, "cé.html");
    // Fields whose markers are missing keep their text and are marked for dimming.
    EXPECT_TRUE(table.cell(2, 1).notFound);
    EXPECT_TRUE(table.cell(2, 2).notFound);
    EXPECT_FALSE(table.cell(2, 0).notFound);
    EXPECT_EQ(table.cell(2, 1).text, kMatchFailed);
}

TEST(RowTable, CellsShowTheStartOfAValueOnOneLineAndTooltipsABoundedPart) {
    EXPECT_EQ(cellFor("a\u2028b\u2029c\u0085d").text, "a\u21b5b\u21b5c\u21b5d");
    const std::string longName = "Line one\r\nline\ttwo\x01" + std::string(kMostCopyBytes, 'x');
    RowTable table;
    table.append(runOf({{"big.html", productRecord("R", longName, "1", "r.jpg")}}));
    const std::string& cell = table.cell(0, 3).text;
    EXPECT_TRUE(cell.starts_with("Line one\u21b5line\u2192two\u2401xxx")) << cell.substr(0, 40);
    EXPECT_TRUE(cell.ends_with("x\u2026"));
    EXPECT_LT(cell.size(), 4 * kMostCellCharacters);
    const std::string tooltip = table.tooltip(0, 3);
    EXPECT_TRUE(tooltip.starts_with("Line one\r\nline\ttwo"));
    EXPECT_LE(tooltip.size(), kMostTooltipBytes + 3);
    EXPECT_EQ(table.tooltip(0, 0), "R");
    // Rows too large for the clipboard are refused rather than stalling the window.
    const std::size_t rows[] = {0};
    EXPECT_EQ(std::get<CopyRefusal>(table.copyText(rows)), CopyRefusal::TooLarge);
}

TEST(RowTable, CopiesTheChosenRowsAsListingLines) {
    RowTable table;
    table.append(runOf({{"a.html", productRecord("A1", "Anchor\tM8", "125", "a.jpg")},
                        {"b.html", productRecord("B2", "Caf\xE9", "7", "b.jpg")}}));
    const std::size_t rows[] = {1, 0};
    EXPECT_EQ(std::get<std::string>(table.copyText(rows)),
              "B2\t7\tb.jpg\tCafé\r\nA1\t125\ta.jpg\tAnchor\tM8\r\n");
}

}  // namespace
}  // namespace catalog::window
