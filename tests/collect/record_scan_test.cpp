#include "collect/record_scan.h"

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reference/field_rules.h"
#include "reference/streamed_rows.h"
#include "reference/unwrapped_text.h"
#include "support/test_files.h"

namespace catalog {
namespace {

using namespace std::string_literals;
using testing::productRecord;

TEST(RecordScan, GivesTheRowsOfThePlainCutAtEveryBlockSize) {
    const std::string record = productRecord("A1", "Widget", "125", "w.jpg");
    const std::string second = productRecord("B2", "Second", "7", "b.jpg");
    const std::vector<std::string> texts = {
        "<html>" + record + "</html>", record + "\n" + second + "\n" + record,
        record.substr(record.find("', 'NAME'")),                       // no reference
        "', 'NAME' => '', 'PRICE' => , 'MIN_QUANTITY_ORDERABLE' => ",  // markers back to back
        "', 'PRICE' => 5', 'NAME' => '",                               // closers before openers
        productRecord("R', 'NAME' => 'R", "N', 'PRICE' => N", "1", "',  }, ',  }, "),
        "''''', 'PRICE' =>', 'PRICE' => ', 'PRICE' => '",
        // Openers that run into the next marker, or into each other, do not cut there.
        "', 'PRICE' => 1'REFERENCE' => ', 'PRICE' => 2",
        "', 'PRICE' => 1'REFERENCE' => 'REFERENCE' => 'REFERENCE' => 'x', 'PRICE' => 2",
        "', 'PRICE' => 1', 'NAME' => ', 'PRICE' => 2', 'NAME' => 'x', 'NAME' => '', 'PRICE' => 3",
        "', 'PRICE' => 1',  }, 'THUMBNAIL' => 't',  }, ', 'PRICE' => 2",
        "no record, only 'REFERENCE' => 'A1', 'NAME' => 'W', 'price' => 5", "",
        // The clues to a wrapping, found in the same pass while no record is met, beside
        // quotes and pairs that share their bytes.
        "'PRICE' => 5 &#039;PRICE&#039;", "x'P\0R\0I\0C\0E\0'\0"s, "\0P\0R\0I\0C\0EP'P"s,
        "<P\0\0\0R\0\0\0\0\0\0P\0\0\0R>"s, "\0\0\0P\0\0\0R PRIC P\0R\0I\0C\0E PR"s,
        record + "PRICE\0P\0R\0I\0C\0E",  // after a record: not needed
    };
    const auto flags = [](const WrapClues& clues) {
        return std::array{clues.price, clues.priceLe, clues.priceBe, clues.priceUtf32};
    };
    for (const std::string& text : texts) {
        const std::string expected = pageRows(text);
        for (std::size_t blockSize = 1; blockSize <= text.size() + 1; ++blockSize) {
            const StreamedRows streamed = streamedRows(text, blockSize);
            ASSERT_EQ(streamed.records, recordPieces(text).size()) << text;
            ASSERT_EQ(streamed.rows, expected) << text << " in blocks of " << blockSize;
            if (streamed.records == 0) {
                ASSERT_EQ(flags(streamed.clues), flags(plainClues(text)))
                    << text << " in blocks of " << blockSize;
            }
        }
    }
}

// Each record on a row of its own, written out: reference, price, thumbnail, name.
TEST(RecordScan, CutsAPageIntoOneRowPerRecord) {
    const std::string a = productRecord("A", "Alpha", "1.00", "a.jpg");
    const std::string b = productRecord("B", "Beta", "2.00", "b.jpg");
    const std::string c = productRecord("C", "Gamma", "3.00", "c.jpg");
    std::string oneBlank = a;
    oneBlank.replace(oneBlank.find("',  }, "), 7, "', }, ");
    const std::string noReference = "{ 'NAME' => 'Beta" + b.substr(b.find("', 'PRICE'"));
    const std::string noName = "{ 'REFERENCE' => 'B" + b.substr(b.find("', 'PRICE'"));
    const std::string smf(kMatchFailed);
    const struct {
        std::string page;
        std::vector<std::string> rows;
    } cases[] = {
        {a + b + c, {"A\t1.00\ta.jpg\tAlpha", "B\t2.00\tb.jpg\tBeta", "C\t3.00\tc.jpg\tGamma"}},
        {a + "\r\n" + b + "\r\n", {"A\t1.00\ta.jpg\tAlpha", "B\t2.00\tb.jpg\tBeta"}},
        {oneBlank + b, {"A\t1.00\t" + smf + "\tAlpha", "B\t2.00\tb.jpg\tBeta"}},
        {a + noReference, {"A\t1.00\ta.jpg\tAlpha", smf + "\t2.00\tb.jpg\t" + smf}},
        {a + noName, {"A\t1.00\ta.jpg\tAlpha", smf + "\t2.00\tb.jpg\t" + smf}},
        // A name holding the marker's text: that text is a marker too.
        {productRecord("A", "x', 'PRICE' => y", "1.00", "a.jpg"),
         {"A\t" + smf + "\t" + smf + "\tx", smf + "\t1.00\ta.jpg\t" + smf}},
    };
    for (const auto& [page, rows] : cases) {
        std::string expected;
        for (const std::string& row : rows) {
            expected.append(row).append(kLineEnd);
        }
        EXPECT_EQ(streamedRows(page, page.size()).rows, expected) << page;
        EXPECT_EQ(streamedRows(page, 5).rows, expected) << page;
    }
}

// Bytes of the scanned version are no longer all there: no row may be made of what is left.
TEST(RecordScan, AMatchCutShortByAFileThatShrankSinceTheScanIsAChange) {
    const std::string text = productRecord("A1", "Widget", "125", "w.jpg");
    for (const std::size_t end : {text.find("idget"), std::size_t{0}}) {
        EXPECT_THROW(streamedRows(text, 7, end), FileChanged) << end;
    }
}

}  // namespace
}  // namespace catalog
