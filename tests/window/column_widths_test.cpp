#include "window/column_widths.h"

#include <gtest/gtest.h>

namespace catalog::window {
namespace {

constexpr int kMargins = 4;
constexpr int kViewWidth = 300;

// The width of one column titled `titleWidth` over rows whose values measure `values`, the
// rows from `firstRow` on being new.
int widthFor(int titleWidth, const std::vector<int>& values, std::size_t firstRow = 0) {
    const ColumnsToFit columns{.titleWidths = {titleWidth},
                               .firstRow = firstRow,
                               .rowCount = values.size(),
                               .valueMargins = kMargins,
                               .viewWidth = kViewWidth};
    const std::vector<int> widths =
        columnWidths(columns, [&](std::size_t row, std::size_t) { return values.at(row); });
    return widths.at(0);
}

TEST(columnWidths, TakesTheWiderOfTheTitleAndTheWidestValueWithinTheView) {
    EXPECT_EQ(widthFor(30, {40, 50, 45}), 50 + kMargins);
    EXPECT_EQ(widthFor(80, {40, 50, 45}), 80);
    EXPECT_EQ(widthFor(30, {10, 500, 400}), kViewWidth);
    EXPECT_EQ(widthFor(30, {}), 30);
}

TEST(columnWidths, LeavesOutAValueFarWiderThanMost) {
    std::vector<int> values(20, 40);
    values[7] = 60;  // half again as wide as the rest: still shown whole
    EXPECT_EQ(widthFor(10, values), 60 + kMargins);
    values[7] = 61;
    EXPECT_EQ(widthFor(10, values), 40 + kMargins);
}

TEST(columnWidths, MeasuresAtMostAHundredOfTheNewRows) {
    std::vector<int> values(250, 40);
    values[4] = 45;    // before the new rows
    values[210] = 50;  // past the hundred measured
    values[209] = 48;  // the last measured
    EXPECT_EQ(widthFor(10, values, 110), 48 + kMargins);
}

}  // namespace
}  // namespace catalog::window
