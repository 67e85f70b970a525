#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "collect/crc32.h"
#include "collect/listing.h"
#include "collect/listing_format.h"
#include "collect/stored_zip.h"
#include "platform/paths.h"

namespace catalog {
namespace {

TEST(ListingFormat, TheNameOrTheWordChoosesAndThePriceDecidesItsCell) {
    EXPECT_EQ(formatOfName("lists/Products.CSV"), ListingFormat::Csv);
    EXPECT_EQ(formatOfName("products.xLsX"), ListingFormat::Workbook);
    EXPECT_EQ(formatOfName("products.csv.txt"), ListingFormat::Text);
    EXPECT_EQ(formatOfName("xlsx"), ListingFormat::Text);
    EXPECT_EQ(formatOfName("list.csv. ."),
              kWindowsNameRules ? ListingFormat::Csv : ListingFormat::Text);
    EXPECT_EQ(formatNamed("xlsx"), ListingFormat::Workbook);
    EXPECT_EQ(formatNamed("XLSX"), std::nullopt);
    const struct {
        const char* price;
        std::optional<std::size_t> decimals;
    } prices[] = {{"12.50", 2},
                  {"+5", 0},
                  {"-0.125", 3},
                  {"007", 0},
                  {"12.", {}},
                  {".5", {}},
                  {"1.234,50", {}},
                  {"1e5", {}},
                  {"", {}},
                  {"- 5", {}},
                  {"123456789012345", 0},
                  {"1234567890123456", {}},
                  {"0.000000000000000000000000000001", 30},
                  {"0.0000000000000000000000000000001", {}},
                  {"0.00000000000001234", 17},
                  {"1.000000000000000", {}}};
    for (const auto& [price, decimals] : prices) {
        EXPECT_EQ(numberDecimals(price), decimals) << price;
    }
}

TEST(ListingFormat, KnowsEachOfItsOwnFormsByItsStart) {
    const std::string zip = std::string("PK\x03\x04\x14\0\0\0\0\0", 10) + std::string(16, '\0') +
                            std::string("\x10\0\0\0", 4) + "docProps/app.xml<Properties>";
    for (const std::string& start :
         {std::string("id   price   thumbnail   name\r\nA1\t"),
          std::string("id   price   thumbnail   name\n"),
          std::string("\xEF\xBB\xBFid,price,thumbnail,name\r\n"), zip + "Catalog Collector"}) {
        EXPECT_TRUE(startsLikeListing(start)) << start;
    }
    for (const std::string& start :
         {std::string("id,price,thumbnail,name\r\n"), std::string("id   price\r\n"), zip + "Other",
          std::string("PK\x03\x04\x14\0\0\0\x08\0", 10) + zip.substr(10) + "Catalog Collector"}) {
        EXPECT_FALSE(startsLikeListing(start)) << start;
    }
    // A row after the header, which an empty run would replace with the header alone.
    const std::string csvHeader = "\xEF\xBB\xBFid,price,thumbnail,name\r\n";
    for (const auto& [start, rows] : {std::pair{std::string(kHeaderLine) + "A1\t", true},
                                      {csvHeader + "A1,", true},
                                      {std::string(kHeaderLine), false},
                                      {csvHeader, false},
                                      {"id,price,thumbnail,name\r\nA1,", false},
                                      {"notes\nmore", false}}) {
        EXPECT_EQ(startHoldsRows(start), rows) << start;
    }
}

// An entry of `size` bytes of 'z', given a megabyte at a time.
class RepeatedEntry final : public ZipEntry {
public:
    RepeatedEntry(std::string name, std::uint64_t size) : m_name(std::move(name)), m_size(size) {}
    std::string_view name() const override { return m_name; }
    void restart() override { m_given = 0; }
    bool more(std::string& out) override {
        const std::uint64_t part = std::min<std::uint64_t>(m_size - m_given, 1 << 20);
        out.append(part, 'z');
        m_given += part;
        return part > 0;
    }

private:
    std::string m_name;
    std::uint64_t m_size;
    std::uint64_t m_given = 0;
};

std::uint64_t littleEndian(const std::string& bytes, std::size_t at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// The bytes past 4 GiB hold the second entry, the central directory and the end records.
TEST(StoredZip, AnEntryOrAnOffsetPastFourGiBTakesZip64Fields) {
    const std::uint64_t big = (std::uint64_t{1} << 32) + 5;
    std::vector<std::unique_ptr<ZipEntry>> entries;
    entries.push_back(std::make_unique<RepeatedEntry>("big", big));
    entries.push_back(std::make_unique<RepeatedEntry>("small", 3));
    StoredZip zip(std::move(entries), {});
    std::string start;
    std::string tail;
    std::uint64_t offset = 0;
    for (auto pieces = zip.next(); !pieces.empty(); pieces = zip.next()) {
        const std::string_view piece = pieces.front();
        if (offset == 0) {
            start = piece.substr(0, 53);
        }
        if (offset + piece.size() > big) {
            tail.append(piece.substr(offset >= big ? 0 : big - offset));
        }
        offset += piece.size();
    }
    // The first local header: its sizes marked, and given in its ZIP64 field.
    EXPECT_EQ(littleEndian(start, 18, 4), 0xFFFFFFFFU);
    EXPECT_EQ(littleEndian(start, 33, 2), 1U);
    EXPECT_EQ(littleEndian(start, 37, 8), big);
    // Past the data (the tail starts 53 bytes into the second local header's offset)...
    const std::size_t second = 53;
    EXPECT_EQ(littleEndian(tail, second, 4), 0x04034B50U);
    EXPECT_EQ(littleEndian(tail, second + 14, 4), crc32(0, "zzz"));
    const std::size_t central = tail.find("PK\x01\x02");
    const std::size_t secondCentral = tail.find("PK\x01\x02", central + 1);
    ASSERT_NE(secondCentral, std::string::npos);
    EXPECT_EQ(littleEndian(tail, central + 20, 4), 0xFFFFFFFFU);
    EXPECT_EQ(littleEndian(tail, central + 46 + 3 + 4, 8), big);
    EXPECT_EQ(littleEndian(tail, secondCentral + 42, 4), 0xFFFFFFFFU);
    EXPECT_EQ(littleEndian(tail, secondCentral + 46 + 5 + 4, 8), big + 53);
    const std::size_t end64 = tail.find("PK\x06\x06");
    ASSERT_NE(end64, std::string::npos);
    EXPECT_EQ(littleEndian(tail, end64 + 48, 8), big + central);
    EXPECT_NE(tail.find("PK\x06\x07"), std::string::npos);
    EXPECT_EQ(littleEndian(tail, tail.size() - 6, 4), 0xFFFFFFFFU);
}

}  // namespace
}  // namespace catalog
