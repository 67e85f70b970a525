#include "collect/readable_numbers.h"

#include <cstdint>
#include <utility>

#include <gtest/gtest.h>

namespace catalog {
namespace {

TEST(counted, GroupsTheDigitsInThreesAndMakesTheNounPluralUnlessOne) {
    EXPECT_EQ(counted(0, "record"), "0 records");
    EXPECT_EQ(counted(1, "file"), "1 file");
    EXPECT_EQ(counted(999, "file"), "999 files");
    EXPECT_EQ(counted(1000, "file"), "1,000 files");
    EXPECT_EQ(counted(1234567, "record"), "1,234,567 records");
}

TEST(readableBytes, GivesOneDecimalAtMostInTheUnitTheFigureRoundsTo) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 bytes"},          {1, "1 byte"},     {999, "999 bytes"},
        {1000, "1 KB"},          {1249, "1.2 KB"},  {1250, "1.3 KB"},
        {999'949, "999.9 KB"},   {999'950, "1 MB"}, {60'000'000'000, "60 GB"},
        {UINT64_MAX, "18.4 EB"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(readableBytes(bytes), text) << bytes;
    }
}

}  // namespace
}  // namespace catalog
