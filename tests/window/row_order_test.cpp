#include "window/row_order.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace catalog::window {
namespace {

// The values in the order compareValues puts them, ties in the order given.
std::vector<std::string> sorted(std::vector<std::string> values) {
    std::stable_sort(values.begin(), values.end(), [](const std::string& a, const std::string& b) {
        return compareValues(a, b) < 0;
    });
    return values;
}

TEST(compareValues, ReadsDigitsAsNumbersAndTheirDecimalsAsFractions) {
    EXPECT_EQ(sorted({"10", "9", "100", "09", "1"}),
              (std::vector<std::string>{"1", "9", "09", "10", "100"}));
    EXPECT_EQ(sorted({"19.50", "9.99", "9.5", "9.10", "9.05", "10"}),
              (std::vector<std::string>{"9.05", "9.10", "9.5", "9.99", "10", "19.50"}));
    EXPECT_EQ(sorted({"1.2.10", "1.2.9", "A-20", "a-3"}),
              (std::vector<std::string>{"1.2.9", "1.2.10", "a-3", "A-20"}));
    EXPECT_EQ(compareValues("9.5", "9.50"), std::weak_ordering::equivalent);
    EXPECT_EQ(compareValues("Bolt", "bolt"), std::weak_ordering::equivalent);
    EXPECT_TRUE(compareValues("Bolt", "Bolts") < 0);
    EXPECT_TRUE(compareValues("Cafe", "Caf\xC3\xA9") < 0);
    // A number of more digits than any integer holds is still a number.
    EXPECT_TRUE(compareValues(std::string(40, '9'), "1" + std::string(40, '0')) < 0);
}

TEST(sortAfterClick, SortsUpThenDownThenReturnsToTheOrderOfCollection) {
    SortState sort;
    sort = sortAfterClick(sort, 1);
    EXPECT_EQ(sort, (SortState{1, SortDirection::Ascending}));
    sort = sortAfterClick(sort, 1);
    EXPECT_EQ(sort, (SortState{1, SortDirection::Descending}));
    EXPECT_EQ(sortAfterClick(sort, 1).direction, SortDirection::None);
    EXPECT_EQ(sortAfterClick(sort, 3), (SortState{3, SortDirection::Ascending}));
}

}  // namespace
}  // namespace catalog::window
