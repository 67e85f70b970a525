#include "window/column_widths.h"

#include <numeric>

#include <gtest/gtest.h>

#include "window/table_columns.h"

namespace catalog::window {
namespace {

constexpr int kMargins = 4;
constexpr int kViewWidth = 300;

// The rows from `first` to the end, in the order shown.
std::vector<std::size_t> rowsFrom(std::size_t first, std::size_t count) {
    std::vector<std::size_t> rows(count - first);
    std::iota(rows.begin(), rows.end(), first);
    return rows;
}

// The width of one column titled `titleWidth` over rows whose values measure `values`, the
// rows from `firstRow` on being new.
int widthFor(int titleWidth, const std::vector<int>& values, std::size_t firstRow = 0) {
    const ColumnsToFit columns{.titleWidths = {titleWidth},
                               .rows = rowsFrom(firstRow, values.size()),
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

struct SharingCase {
    std::vector<int> widths;
    std::vector<int> titles;
    int room;
    std::vector<int> shared;
};

// A view 300 wide, of three columns: a share is 100.
TEST(sharedWidths, NarrowsTheWidestTowardAnEqualShareUntilTheyFit) {
    const SharingCase cases[] = {
        {{50, 60, 70}, {0, 0, 0}, 300, {50, 60, 70}},          // they fit
        {{50, 100, 200}, {0, 0, 0}, 300, {50, 100, 150}},      // the widest gives way
        {{20, 400, 400}, {0, 0, 0}, 300, {20, 140, 140}},      // the widest alike
        {{200, 200, 200}, {0, 0, 0}, 300, {100, 100, 100}},    // each at its share
        {{200, 200, 200}, {150, 0, 0}, 300, {150, 100, 100}},  // a title is kept: they scroll
        {{200, 200}, {0, 0}, 100, {100, 100}},                 // a dragged column took the room
        {{}, {}, -50, {}},
    };
    for (const SharingCase& sharing : cases) {
        EXPECT_EQ(sharedWidths(sharing.widths, sharing.titles, sharing.room, 100), sharing.shared)
            << ::testing::PrintToString(sharing.widths) << " in " << sharing.room;
    }
}

// Three columns whose values measure ten times the column's number (from 1) plus the row.
class TableColumnsTest : public ::testing::Test {
protected:
    void fit(std::vector<std::size_t> rows) {
        m_columns.fit({.titleWidths = {5, 5, 5},
                       .rows = std::move(rows),
                       .valueMargins = 0,
                       .viewWidth = kViewWidth},
                      [](std::size_t row, std::size_t column) {
                          return static_cast<int>(10 * (column + 1) + row);
                      });
    }

    TableColumns m_columns{{100, 100, 100}};
};

TEST_F(TableColumnsTest, EachRunFitsTheColumnsTheUserLeftAndTheLastReachesTheEdge) {
    EXPECT_EQ(m_columns.shown(kViewWidth + 50), (std::vector<int>{100, 100, 150}));
    fit({7, 3});  // where a sort put the new rows
    EXPECT_EQ(m_columns.shown(81), (std::vector<int>{17, 27, 37}));
    m_columns.sizedByUser(0, 60);
    fit({});
    fit({40});
    EXPECT_EQ(m_columns.shown(190), (std::vector<int>{60, 60, 70}));
    EXPECT_EQ(m_columns.shown(200), (std::vector<int>{60, 60, 80}));
    m_columns.rescale(96, 144);
    EXPECT_EQ(m_columns.shown(285), (std::vector<int>{90, 90, 105}));
}

// At every width the view takes: a scroll bar that comes with a run's rows narrows them again.
TEST_F(TableColumnsTest, TheFittedColumnsShareWhatTheDraggedOnesLeave) {
    EXPECT_EQ(m_columns.shown(kViewWidth - 60), (std::vector<int>{80, 80, 80}));
    m_columns.sizedByUser(0, 200);
    fit({170});  // 190 and 200 wanted, 100 left
    EXPECT_EQ(m_columns.shown(kViewWidth), (std::vector<int>{200, 100, 100}));
    EXPECT_EQ(m_columns.shown(kViewWidth + 290), (std::vector<int>{200, 190, 200}));
}

// A wide window shows the names whole before it widens the file column.
TEST(TableColumns, TheRoomLeftGoesToTheNamesUnlessTheUserSizedThem) {
    TableColumns columns({50, 50, 50, 50, 50});
    EXPECT_EQ(columns.shown(400), (std::vector<int>{50, 50, 50, 200, 50}));
    columns.sizedByUser(kNameColumn, 80);
    EXPECT_EQ(columns.shown(400), (std::vector<int>{50, 50, 50, 80, 170}));
}

}  // namespace
}  // namespace catalog::window
