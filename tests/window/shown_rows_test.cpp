#include "window/shown_rows.h"

#include <gtest/gtest.h>

#include "run_rows.h"
#include "support/test_files.h"
#include "window/row_details.h"
#include "window/window_texts.h"

namespace catalog::window {
namespace {

using catalog::testing::productRecord;
using testing::runOf;

constexpr std::size_t kIdColumn = 0;
constexpr std::size_t kPriceColumn = 1;

// A page whose record has the reference and the price given; no price when it is empty.
std::pair<std::string, std::string> page(const std::string& reference, const std::string& price) {
    if (price.empty()) {
        return {reference + ".html", "'REFERENCE' => '" + reference + "', 'NAME' => 'N', "};
    }
    return {reference + ".html", productRecord(reference, "N", price, "t.jpg")};
}

std::vector<std::string> column(const ShownRows& rows, std::size_t column = kIdColumn) {
    std::vector<std::string> texts;
    for (std::size_t row = 0; row < rows.rowCount(); ++row) {
        texts.push_back(rows.cell(row, column).text);
    }
    return texts;
}

using Ids = std::vector<std::string>;

class ShownRowsTest : public ::testing::Test {
protected:
    ShownRowsTest() {
        m_rows.append(runOf({page("A", "19.50"), page("B", ""), page("C", "9.99"), page("D", "10"),
                             page("E", "9.99")}));
    }

    ShownRows m_rows;
};

TEST_F(ShownRowsTest, SortsByValueWithTiesInTheOrderCollectedAndNoValueLast) {
    EXPECT_EQ(m_rows.sortByColumn(kPriceColumn).direction, SortDirection::Ascending);
    EXPECT_EQ(column(m_rows), (Ids{"C", "E", "D", "A", "B"}));
    EXPECT_EQ(m_rows.sortByColumn(kPriceColumn).direction, SortDirection::Descending);
    EXPECT_EQ(column(m_rows), (Ids{"A", "D", "C", "E", "B"}));
    EXPECT_EQ(m_rows.sortByColumn(kPriceColumn).direction, SortDirection::None);
    EXPECT_EQ(column(m_rows), (Ids{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(m_rows.sortByColumn(kColumnCount).direction, SortDirection::None);
}

TEST_F(ShownRowsTest, ANewRunsRowsJoinTheSortedOrderAndTellWhereTheyWent) {
    m_rows.sortByColumn(kPriceColumn);
    EXPECT_EQ(m_rows.append(runOf({page("F", "9.99"), page("G", "1"), page("H", "")})),
              (std::vector<std::size_t>{3, 0, 7}));
    EXPECT_EQ(column(m_rows), (Ids{"G", "C", "E", "F", "D", "A", "B", "H"}));
    EXPECT_TRUE(m_rows.append(runOf({})).empty());
    m_rows.sortByColumn(kPriceColumn);
    m_rows.sortByColumn(kPriceColumn);
    EXPECT_EQ(m_rows.append(runOf({page("I", "5")})), (std::vector<std::size_t>{8}));
    EXPECT_EQ(column(m_rows), (Ids{"A", "B", "C", "D", "E", "F", "G", "H", "I"}));
}

TEST_F(ShownRowsTest, RemovesTheChosenRowsAndClears) {
    m_rows.sortByColumn(kPriceColumn);  // C E D A B
    m_rows.remove({3, 0, 3, 99});
    EXPECT_EQ(column(m_rows), (Ids{"E", "D", "B"}));
    m_rows.remove({});
    EXPECT_EQ(m_rows.rowCount(), 3u);
    m_rows.remove({0, 1, 2});
    EXPECT_EQ(m_rows.rowCount(), 0u);
    // The sort stays for the rows that come next.
    m_rows.append(runOf({page("X", "3"), page("Y", "2")}));
    EXPECT_EQ(column(m_rows), (Ids{"Y", "X"}));
    m_rows.clear();
    EXPECT_EQ(m_rows.rowCount(), 0u);
    EXPECT_EQ(std::get<std::string>(m_rows.copyText({}, true)), copyHeaderLine());
}

TEST_F(ShownRowsTest, CopiesInTheOrderShownWithTheTitlesSeparatedByTabs) {
    EXPECT_EQ(copyHeaderLine(), "id\tprice\tthumbnail\tname\r\n");
    m_rows.sortByColumn(kPriceColumn);
    m_rows.sortByColumn(kPriceColumn);
    const std::size_t rows[] = {0, 1};
    EXPECT_EQ(std::get<std::string>(m_rows.copyText(rows, false)),
              "A\t19.50\tt.jpg\tN\r\nD\t10\tt.jpg\tN\r\n");
    EXPECT_EQ(std::get<std::string>(m_rows.copyText(rows, true)),
              "id\tprice\tthumbnail\tname\r\nA\t19.50\tt.jpg\tN\r\nD\t10\tt.jpg\tN\r\n");
}

// The status tells the list's rows of several runs, and how many runs still have a row there.
TEST_F(ShownRowsTest, CountsTheRunsStillShownForTheStatus) {
    EXPECT_EQ(m_rows.runCount(), 1u);
    EXPECT_EQ(withRowsHeld({"13 records written", ""}, 5, 1).text, "13 records written");
    m_rows.sortByColumn(kPriceColumn);  // C E D A B
    m_rows.append(runOf({page("F", "1")}));
    EXPECT_EQ(m_rows.runCount(), 2u);
    EXPECT_EQ(withRowsHeld({"1 record written", ""}, 6, 2).text,
              "1 record written; the list holds 6 rows from 2 runs; Clear list empties it");
    m_rows.remove({0});  // F
    EXPECT_EQ(m_rows.runCount(), 1u);
    m_rows.clear();
    EXPECT_EQ(m_rows.runCount(), 0u);
}

// What a tooltip shows of each cell, for the keyboard: a long value cut and said so, why a
// field was not found, and the file.
TEST(RowDetails, GivesEachFieldTheReasonForOneNotFoundAndTheFile) {
    ShownRows rows;
    const std::string longName(5000, 'n');
    rows.append(runOf({{"a.html", productRecord("A", longName, "1", "t.jpg")}, page("B", "")}));
    const std::string first = rowDetails(rows, 0);
    EXPECT_NE(first.find("id: A\nprice: 1\nthumbnail: t.jpg\nname: nnn"), std::string::npos);
    EXPECT_NE(first.find("\n(cut: the first 4,096 bytes of 5,000 are shown"), std::string::npos);
    EXPECT_TRUE(first.ends_with("\nfile: a.html")) << first;
    const std::string second = rowDetails(rows, 1);
    EXPECT_NE(second.find("price: String Matching Failed\nThe field was not found\n"),
              std::string::npos)
        << second;
}

}  // namespace
}  // namespace catalog::window
