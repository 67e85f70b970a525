#include <string>

#include <gtest/gtest.h>

#include "collect/record_reader.h"
#include "reference/field_rules.h"
#include "reference/streamed_rows.h"
#include "support/test_files.h"

namespace catalog {
namespace {

using testing::productRecord;

const std::string kFailed(kMatchFailed);

// Checks both ways of cutting a record: the four values, and the row a run appends to its
// listing, which must leave what is already there alone, markers and all.
void expectRecord(std::string_view record, const std::string& reference, const std::string& price,
                  const std::string& thumbnail, const std::string& name) {
    const ProductRecord product = extractRecord(record);
    EXPECT_EQ(product.reference, reference);
    EXPECT_EQ(product.price, price);
    EXPECT_EQ(product.thumbnail, thumbnail);
    EXPECT_EQ(product.name, name);

    const std::string earlier = "', 'PRICE' => ',  }, \r\n";
    std::string listing = earlier;
    const FieldLengths lengths = appendRecordRow(record, listing);
    EXPECT_EQ(listing, earlier + reference + "\t" + price + "\t" + thumbnail + "\t" + name);
    EXPECT_EQ(lengths, (FieldLengths{reference.size(), price.size(), thumbnail.size()}));
}

TEST(FieldRules, CutTheFourValuesOutOfARecord) {
    expectRecord(productRecord("A1", "Widget", "125", "w.jpg"), "A1", "125", "w.jpg", "Widget");
    // Values keep line breaks, tabs and bytes that are not UTF-8, byte order mark included.
    expectRecord(productRecord("\xef\xbb\xbfR", "two\r\nlines\tand \xff", "9", ""), "\xef\xbb\xbfR",
                 "9", "", "two\r\nlines\tand \xff");
}

TEST(FieldRules, AnEmptyValueIsEmptyAndAMissingMarkerFails) {
    expectRecord(productRecord("A1", "", "5", "w.jpg"), "A1", "5", "w.jpg", "");

    std::string noReference = productRecord("A1", "Widget", "5", "w.jpg");
    noReference.replace(noReference.find("'REFERENCE'"), 11, "'reference'");
    expectRecord(noReference, kFailed, "5", "w.jpg", "Widget");

    std::string lowerName = productRecord("A1", "Widget", "5", "w.jpg");
    lowerName.replace(lowerName.find("'NAME'"), 6, "'name'");
    // The reference rule closes on the name key too, so it fails with it.
    expectRecord(lowerName, kFailed, "5", "w.jpg", kFailed);

    std::string shortClose = productRecord("A1", "Widget", "5", "w.jpg");
    shortClose.replace(shortClose.find("',  }, "), 7, "', }, ");
    expectRecord(shortClose, "A1", "5", kFailed, "Widget");
}

TEST(FieldRules, TwoRecordsGiveARowEach) {
    const std::string text = productRecord("A1", "First", "1", "a.jpg") + "\n" +
                             productRecord("B2", "Second", "2", "b.jpg");
    // Each record's values, and nothing of the other's.
    StringSink sink;
    RecordReader().appendRows(text, sink, nullptr);
    EXPECT_EQ(sink.rows, "A1\t1\ta.jpg\tFirst\r\nB2\t2\tb.jpg\tSecond\r\n");
}

TEST(FieldRules, AMarkersTextInsideAValueIsRemoved) {
    // The name holds the closing marker of the reference, so the reference runs up to it.
    const std::string text = productRecord("A1", "x', 'NAME' => 'y", "5", "w.jpg");
    expectRecord(text, "A1x", "5", "w.jpg", "xy");
}

TEST(FieldRules, StripTheOpenerFirstThenTheCloserLeftToRight) {
    // Taking the opener out joins "', 'PR" and "ICE' => " into the closer, which goes next.
    const std::string text = "', 'NAME' => 'X', 'PR', 'NAME' => 'ICE' => Y', 'PRICE' => ";
    EXPECT_EQ(extractField(kNameRule, text), "XY");
    const FieldRule overlapping{"aa[\\s\\S]*z", "aa", "z"};
    EXPECT_EQ(extractField(overlapping, "aaaz"), "a");
}

TEST(FieldRules, TheRecordMarkerIsCaseSensitive) {
    EXPECT_TRUE(holdsRecord(productRecord("A1", "Widget", "5", "w.jpg")));
    EXPECT_FALSE(holdsRecord("'REFERENCE' => 'A1', 'NAME' => 'W', 'price' => 5, "));
    EXPECT_FALSE(holdsRecord(""));
}

TEST(FieldRules, ARowKnowsItsFieldsThoughValuesHoldTabsAndStopsWhenAsked) {
    const std::string record = productRecord("A\t1", "Bolt\tM4", "7", "a\tb.jpg");
    std::string rows;
    const FieldLengths lengths = appendRecordRow(record, rows);
    rows.append(kLineEnd);
    Listing listing;
    listing.addPage("a#1.html");
    listing.addLine(listing.hold(rows), listing.holdFields({lengths})[0]);
    EXPECT_EQ(listing.field(0, 0), "A\t1");
    EXPECT_EQ(listing.field(0, 1), "7");
    EXPECT_EQ(listing.field(0, 2), "a\tb.jpg");
    EXPECT_EQ(listing.field(0, 3), "Bolt\tM4");
    EXPECT_EQ(listing.file(0), "a#1.html");

    StopFlag stop;
    stop.request();
    EXPECT_THROW(appendRecordRow(record, rows, &stop), RunStopped);
}

}  // namespace
}  // namespace catalog
