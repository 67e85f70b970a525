#include "collect/record_scan.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reference/field_rules.h"
#include "support/test_files.h"

namespace catalog {
namespace {

using testing::productRecord;

// `text` as a file: positioned reads give what lies there, and nothing past `length`.
ReadAt readerOf(std::string_view text, std::size_t length) {
    return [text, length](std::uint64_t offset, char* into, std::size_t most) -> std::size_t {
        if (offset >= length) {
            return 0;
        }
        const std::size_t got = std::min<std::size_t>(most, length - offset);
        std::copy_n(text.data() + offset, got, into);
        return got;
    };
}

RecordScan scanInBlocks(std::string_view text, std::size_t blockSize) {
    RecordScan scan;
    for (std::size_t at = 0; at < text.size(); at += blockSize) {
        scan.feed(text.substr(at, blockSize));
    }
    return scan;
}

// An earlier row ending in part of a marker, which neither rule may touch.
const std::string kEarlier = "x', 'PRICE' =";

TEST(RecordScan, GivesTheRowOfTheWholeTextAtEveryBlockSize) {
    const std::string record = productRecord("A1", "Widget", "125", "w.jpg");
    const std::vector<std::string> texts = {
        "<html>" + record + "</html>",
        record + "\n" + productRecord("B2", "Second", "7", "b.jpg"),   // two records: one row
        record.substr(record.find("', 'NAME'")),                       // no reference
        "', 'NAME' => '', 'PRICE' => , 'MIN_QUANTITY_ORDERABLE' => ",  // markers back to back
        "', 'PRICE' => 5', 'NAME' => '",                               // closers before openers
        productRecord("R', 'NAME' => 'R", "N', 'PRICE' => N", "1", "',  }, ',  }, "),
        "''''', 'PRICE' =>', 'PRICE' => ', 'PRICE' => '",
        "no record, only 'REFERENCE' => 'A1', 'NAME' => 'W', 'price' => 5",
        "",
    };
    for (const std::string& text : texts) {
        std::string expected = kEarlier;
        appendRecordRow(text, expected);
        for (std::size_t blockSize = 1; blockSize <= text.size() + 1; ++blockSize) {
            const RecordScan scan = scanInBlocks(text, blockSize);
            ASSERT_EQ(scan.holdsRecord(), holdsRecord(text)) << text << " in " << blockSize;
            std::string row = kEarlier;
            appendScannedRow(scan, readerOf(text, text.size()), row);
            ASSERT_EQ(row, expected) << text << " in blocks of " << blockSize;
        }
    }
}

// Bytes of the scanned version are no longer all there: no row may be made of what is left.
TEST(RecordScan, AMatchCutShortByAFileThatShrankSinceTheScanIsAChange) {
    const std::string text = productRecord("A1", "Widget", "125", "w.jpg");
    const RecordScan scan = scanInBlocks(text, 7);
    for (const std::size_t end : {text.find("idget"), std::size_t{0}}) {
        std::string row = "earlier";
        EXPECT_THROW(appendScannedRow(scan, readerOf(text, end), row), FileChanged) << end;
    }
}

}  // namespace
}  // namespace catalog
